#include "statuspage/WwwSettings.h"

#include "platform/SettingsStore.h"

namespace
{
const QString section = QStringLiteral("wwwroot");
const QString folderKey = QStringLiteral("dir");
const QString pageKey = QStringLiteral("file");
const QString enabledKey = QStringLiteral("enable");
}

QString WwwSettings::defaultFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Inetpub\\wwwroot");
#else
    return QStringLiteral("/var/www/html");
#endif
}

QString WwwSettings::storedFolder()
{
    return SettingsStore::read(section, folderKey, defaultFolder());
}

QString WwwSettings::storedPage()
{
    return SettingsStore::read(section, pageKey, defaultPage());
}

QString WwwSettings::storedEnabled()
{
    return SettingsStore::read(section, enabledKey, defaultEnabled());
}

void WwwSettings::storeFolder(const QString &folder)
{
    SettingsStore::write(section, folderKey, folder);
}

void WwwSettings::storePage(const QString &page)
{
    SettingsStore::write(section, pageKey, page);
}

void WwwSettings::storeEnabled(bool enabled)
{
    SettingsStore::write(section, enabledKey, enabled ? QStringLiteral("True") : QStringLiteral("False"));
}

void WwwSettings::load()
{
    wwwRoot = storedFolder();
    wwwPage = storedPage();
    wwwEnabled = storedEnabled();
}

bool WwwSettings::pageEnabled() const
{
    return wwwEnabled != QLatin1String("False");
}
