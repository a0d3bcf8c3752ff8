#pragma once

#include "core/hosts/HostTableModel.h"
#include "core/log/EventLog.h"
#include "core/monitor/HostHealth.h"
#include "core/monitor/MonitorPass.h"
#include "core/monitor/MonitorSchedule.h"
#include "core/notify/MailNotification.h"
#include "core/statuspage/StatusPageSettings.h"
#include "core/statuspage/StatusPageWriter.h"

#include <QObject>
#include <QString>

// The program without its windows: the host list, the monitoring, the log,
// failure notification and the status page, all kept in one program folder.
// The windows show it and call it; it lives from start-up to the end.
class Program : public QObject
{
    Q_OBJECT

public:
    explicit Program(const QString &folder, QObject *parent = nullptr);

    // Reads what the program keeps (the status page settings, the interval,
    // the host list, the mail settings) and logs the start.
    void startUp();
    // The start/stop button: the status page settings are read again first.
    void toggleMonitoring(const QString &intervalText);
    // The exit menu item; the main window then closes.
    void exitChosen();
    // The main window has closed: whatever is under way is abandoned
    // unrecorded, and the program ends.
    void end();
    // What main() returns, once the program and its windows are gone. Where a
    // name lookup was given up while the system's resolver still waits on it,
    // the process ends here at once: Qt's own end would wait for the resolver.
    static int endProcess(int status);

    const QString &folder() const { return m_folder; }
    const EventLog &log() const { return m_log; }
    HostTableModel &hosts() { return m_hosts; }
    MailNotification &mail() { return m_mail; }
    MonitorPass &pass() { return m_pass; }
    MonitorSchedule &schedule() { return m_schedule; }
    HostHealth &health() { return m_health; }
    StatusPageSettings &pageSettings() { return m_pageSettings; }
    StatusPageWriter &pageWriter() { return m_pageWriter; }

Q_SIGNALS:
    void ended();

private:
    QString m_folder;
    EventLog m_log;
    HostTableModel m_hosts;
    MailNotification m_mail;
    MonitorPass m_pass;
    MonitorSchedule m_schedule;
    HostHealth m_health;
    StatusPageSettings m_pageSettings;
    StatusPageWriter m_pageWriter;
    bool m_ended = false;
};
