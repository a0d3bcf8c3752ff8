#include "core/base/SettingsStore.h"

#include <QSettings>

namespace
{
// Organisation and application are both "Sentrova": the registry on Windows,
// ~/.config/Sentrova/Sentrova.conf on Linux.
#define SENTROVA_SETTINGS(name) \
    QSettings name(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Sentrova"), QStringLiteral("Sentrova"))

QString path(const QString &section, const QString &key)
{
    return section + QLatin1Char('/') + key;
}
}

QString SettingsStore::read(const QString &section, const QString &key, const QString &defaultValue)
{
    SENTROVA_SETTINGS(settings);
    const QVariant value = settings.value(path(section, key));
    return value.isValid() ? value.toString() : defaultValue;
}

void SettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    SENTROVA_SETTINGS(settings);
    settings.setValue(path(section, key), value);
    settings.sync();
}
