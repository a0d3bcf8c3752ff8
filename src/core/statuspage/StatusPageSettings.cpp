#include "core/statuspage/StatusPageSettings.h"

#include "core/base/SettingsStore.h"

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
