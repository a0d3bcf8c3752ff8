#include "core/base/SettingsStore.h"

#include <QFile>
#include <QSettings>

namespace
{
// Organisation and application are both "Sentrova": ~/.config/Sentrova/Sentrova.conf.
#define SENTROVA_SETTINGS(name)                                                                                        \
    QSettings name(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Sentrova"),                          \
                   QStringLiteral("Sentrova"))

// The text after "key=" in the section's part of an INI file, as it stands
// there, without the spaces around it.
QString textInIniFile(const QString &fileName, const QString &path)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString header = QLatin1Char('[') + path.section(QLatin1Char('/'), 0, 0) + QLatin1Char(']');
    const QString key = path.section(QLatin1Char('/'), 1);
    bool inSection = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')))
            inSection = trimmed == header;
        else if (inSection && trimmed.section(QLatin1Char('='), 0, 0).trimmed() == key)
            return trimmed.section(QLatin1Char('='), 1).trimmed();
    }
    return {};
}
}

SettingsStore &SettingsStore::instance()
{
    static SettingsStore store;
    return store;
}

QString SettingsStore::text(SettingOf<> setting)
{
    return read(setting.row());
}

bool SettingsStore::isOn(SettingOf<SettingKind::Switch> setting)
{
    return read(setting.row()) == QLatin1String("True");
}

QString SettingsStore::read(const SettingRow &row)
{
    const QString path = QString::fromUtf8(row.path);
    SENTROVA_SETTINGS(settings);
    const QVariant value = settings.value(path);
    if (!value.isValid())
        return QString::fromUtf8(row.defaultText);
    // An INI file read by Qt makes a list of a hand-edited "Sec=10,20"; its
    // text is what the user stored, and must not come back empty.
    if (value.metaType().id() == QMetaType::QStringList)
        return textInIniFile(settings.fileName(), path);
    return value.toString();
}

void SettingsStore::setText(SettingOf<SettingKind::Text> setting, const QString &text)
{
    write(setting.row(), text);
}

void SettingsStore::setOn(SettingOf<SettingKind::Switch> setting, bool on)
{
    write(setting.row(), on ? QStringLiteral("True") : QStringLiteral("False"));
}

void SettingsStore::write(const SettingRow &row, const QString &text)
{
    SENTROVA_SETTINGS(settings);
    settings.setValue(QString::fromUtf8(row.path), text);
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        Q_EMIT instance().writeFailed(settings.fileName());
}
