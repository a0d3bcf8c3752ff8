#include "core/statuspage/StatusPageSettings.h"

#include "core/base/SettingsStore.h"

#include <QDir>

namespace
{
const QString section = QStringLiteral("wwwroot");
const QString folderKey = QStringLiteral("dir");
const QString pageKey = QStringLiteral("file");
const QString enabledKey = QStringLiteral("enable");

QString storedEnabled()
{
    return SettingsStore::read(section, enabledKey, QStringLiteral("False"));
}
}

QString StatusPageSettings::defaultFolder()
{
    return QStringLiteral("/var/www/html");
}

QString StatusPageSettings::storedFolder()
{
    return SettingsStore::read(section, folderKey, defaultFolder());
}

QString StatusPageSettings::storedPage()
{
    return SettingsStore::read(section, pageKey, QStringLiteral("index.html"));
}

void StatusPageSettings::storeTexts(const QString &folder, const QString &page)
{
    SettingsStore::write(section, folderKey, folder);
    SettingsStore::write(section, pageKey, page);
}

void StatusPageSettings::storeEnabled(bool enabled)
{
    SettingsStore::write(section, enabledKey, enabled ? QStringLiteral("True") : QStringLiteral("False"));
}

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
    folder = storedFolder();
    page = storedPage();
    enabled = storedEnabled();
}

bool StatusPageSettings::reloadEnabled()
{
    enabled = storedEnabled();
    return enabled == QLatin1String("True");
}

bool StatusPageSettings::pageEnabled() const
{
    return enabled != QLatin1String("False");
}
