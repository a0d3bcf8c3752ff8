#include "core/base/SettingsStore.h"

#include <QFile>
#include <QSettings>

namespace
{
// Organisation and application are both "Sentrova": ~/.config/Sentrova/Sentrova.conf.
#define SENTROVA_SETTINGS(name) \
    QSettings name(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Sentrova"), QStringLiteral("Sentrova"))

QString path(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}

// The text after "key=" in the section's part of an INI file, as it stands
// there, without the spaces around it.
QString textInIniFile(const QString &fileName, const QString &section, const QString &key)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
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

QString SettingsStore::read(const QString &section, const QString &key, const QString &defaultValue)
{
    SENTROVA_SETTINGS(settings);
    const QVariant value = settings.value(path(section, key));
    if (!value.isValid())
        return defaultValue;
    // An INI file read by Qt makes a list of a hand-edited "Sec=10,20"; its
    // text is what the user stored, and must not come back empty.
    if (value.metaType().id() == QMetaType::QStringList)
        return textInIniFile(settings.fileName(), section, key);
    return value.toString();
}

void SettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    SENTROVA_SETTINGS(settings);
    settings.setValue(path(section, key), value);
    settings.sync();
}
