#pragma once

#include <QObject>
#include <QString>

#include <iterator>

// The per-user settings, each kept as a text under "section/key" in
// ~/.config/Sentrova/Sentrova.conf.
enum class Setting {
    IntervalText,   // the interval box as typed
    PageFolder,
    PageName,
    PageEnabled,
    ReportOnChange,   // mail only when a host goes down or comes back
    ParallelProbes,   // how many hosts a pass probes at once, 1 to 256
    TrayIcon,
    DesktopNotices,
    WindowGeometry,   // the main window's size and place, as Qt saves them
    SmtpPort,
    SmtpSecurity,   // "None", "StartTls" or "Tls"
    SmtpUser,   // empty: no sign-in
};

enum class SettingKind {
    Text,   // stored as given
    Switch,   // stored as "True" or "False"
};

struct SettingRow
{
    Setting setting;
    const char *path;
    SettingKind kind;
    const char *defaultText;   // what a read gives while nothing is stored
};

// One row a setting: adding a setting is a name in the enum and its row here.
inline constexpr SettingRow settingRows[] = {
    {Setting::IntervalText, "Interval/Sec", SettingKind::Text, "60"},
    {Setting::PageFolder, "wwwroot/dir", SettingKind::Text, "/var/www/html"},
    {Setting::PageName, "wwwroot/file", SettingKind::Text, "index.html"},
    {Setting::PageEnabled, "wwwroot/enable", SettingKind::Switch, "False"},
    {Setting::ReportOnChange, "Notify/OnChange", SettingKind::Switch, "False"},
    {Setting::ParallelProbes, "Monitor/Parallel", SettingKind::Text, "64"},
    {Setting::TrayIcon, "Desktop/TrayIcon", SettingKind::Switch, "True"},
    {Setting::DesktopNotices, "Desktop/Notifications", SettingKind::Switch, "True"},
    {Setting::WindowGeometry, "Desktop/Geometry", SettingKind::Text, ""},
    {Setting::SmtpPort, "Smtp/Port", SettingKind::Text, "25"},
    {Setting::SmtpSecurity, "Smtp/Security", SettingKind::Text, "None"},
    {Setting::SmtpUser, "Smtp/User", SettingKind::Text, ""},
};

// A setting as the code names it, its row found as the program is compiled:
// a setting without a row does not build, nor does a write of the wrong kind.
template<SettingKind... kinds>   // no kind: any kind
struct SettingOf
{
    consteval SettingOf(Setting setting)
    {
        // An index, not a pointer: the sanitizers' builds cannot compare
        // pointers in a constant expression.
        for (std::size_t i = 0; i < std::size(settingRows); ++i)
            if (settingRows[i].setting == setting)
                index = int(i);
        if (index < 0)
            throw "a setting without a row";
        if (sizeof...(kinds) > 0 && ((settingRows[index].kind != kinds) && ...))
            throw "a setting of another kind";
    }
    const SettingRow &row() const { return settingRows[index]; }
    int index = -1;
};

// Reads and writes the settings of the table. Reads never fail: a missing
// key gives the default. Writes take effect at once; one that does not reach
// the file is told by writeFailed() and stops nothing.
class SettingsStore : public QObject
{
    Q_OBJECT

public:
    static SettingsStore &instance();

    static QString text(SettingOf<> setting);
    static bool isOn(SettingOf<SettingKind::Switch> setting);
    static void setText(SettingOf<SettingKind::Text> setting, const QString &text);
    static void setOn(SettingOf<SettingKind::Switch> setting, bool on);

Q_SIGNALS:
    void writeFailed(const QString &fileName);

private:
    SettingsStore() = default;
    static QString read(const SettingRow &row);
    static void write(const SettingRow &row, const QString &text);
};
