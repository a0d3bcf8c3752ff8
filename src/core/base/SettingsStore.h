#pragma once

#include <QString>

// Per-user text settings of application "Sentrova", addressed by section and
// key. Reads never fail (a missing key gives the default) and writes take
// effect at once; a store that cannot be written must not stop the program.
class SettingsStore
{
public:
    static QString read(const QString &section, const QString &key, const QString &defaultValue);
    static void write(const QString &section, const QString &key, const QString &value);
};
