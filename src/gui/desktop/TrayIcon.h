#pragma once

#include "core/monitor/HostHealth.h"

#include <QObject>

class QSystemTrayIcon;

// The tray icon, where the desktop has a tray: the program's icon with a
// grey, green or red mark for how monitoring stands, a tooltip that counts
// the hosts, and a click that asks for the window. It is a signal, not a
// place to hide: closing the window still ends the program.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    explicit TrayIcon(const HostHealth &health, QObject *parent = nullptr);

    void setShown(bool shown);

Q_SIGNALS:
    void clicked();

private:
    void showHealth();

    const HostHealth &m_health;
    QSystemTrayIcon *m_icon;
    bool m_shown = false;   // switched on
    HostHealth::Level m_level = HostHealth::Level::Stopped;   // the mark shown
};
