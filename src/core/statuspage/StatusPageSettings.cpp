#include "core/statuspage/StatusPageSettings.h"

#include "core/base/SettingsStore.h"

#include <QDir>

QString StatusPageSettings::folderOf(const QString &chosenFile)
{
    const QChar separator = QDir::separator();
    const QStringList pieces = QDir::toNativeSeparators(chosenFile).split(separator);
    QString folder;
    for (qsizetype i = 0; i + 1 < pieces.size(); ++i)
        folder += pieces.at(i) + separator;
    return folder;
}

void StatusPageSettings::load()
{
    folder = SettingsStore::text(Setting::PageFolder);
    page = SettingsStore::text(Setting::PageName);
    enabled = SettingsStore::text(Setting::PageEnabled);
}

bool StatusPageSettings::reloadEnabled()
{
    enabled = SettingsStore::text(Setting::PageEnabled);
    return enabled == QLatin1String("True");
}

bool StatusPageSettings::pageEnabled() const
{
    return enabled != QLatin1String("False");
}
