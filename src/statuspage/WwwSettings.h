#pragma once

#include <QString>

// The status page settings, section "wwwroot" of the per-user store, and the
// program's working copies of them. The page writer reads only the working
// copies; they are refreshed by load() (LoadWWWConfig), and the settings
// window overwrites wwwEnabled when it opens.
class WwwSettings
{
public:
    // The web server's document root of the platform.
    static QString defaultFolder();
    static QString defaultPage() { return QStringLiteral("index.html"); }
    static QString defaultEnabled() { return QStringLiteral("False"); }

    static QString storedFolder();
    static QString storedPage();
    static QString storedEnabled();
    // Texts are stored as typed; on/off as "True" or "False".
    static void storeFolder(const QString &folder);
    static void storePage(const QString &page);
    static void storeEnabled(bool enabled);

    // Reads "dir", "file" and "enable", in that order, into the working copies.
    void load();
    // Only the exact text "False" switches the page off; anything else,
    // "false" and an empty text included, leaves it on.
    bool pageEnabled() const;

    QString wwwRoot;
    QString wwwPage;
    QString wwwEnabled;
};
