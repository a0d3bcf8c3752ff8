#pragma once

#include "core/notify/MailRoute.h"
#include "core/notify/SmtpReport.h"

#include <QObject>
#include <QString>

class EventLog;

// Failure notification: the mail settings, the switch that says whether a
// down host is reported, and the sender of the reports. The switch is off at
// start and turned on by every successful read of "MailConfig.ini"; the main
// window shows it in its status bar and by the check mark of its menu item.
class MailNotification : public QObject
{
    Q_OBJECT

public:
    MailNotification(const QString &folder, const EventLog &log, QObject *parent = nullptr);

    const MailRoute &route() const { return m_route; }
    bool isOn() const { return m_on; }

    // Reads the file and switches notification on; a failed read keeps the
    // settings and the switch as they were.
    void load();
    // The dialog's OK: takes the entered settings, switches notification on
    // and saves them. False when they were refused (the reason is told); the
    // dialog then stays open.
    bool confirm(const MailRoute &entered);
    // The dialog's test: as confirm(), then a report for "システムテスト",
    // whose outcome is told when the server has answered.
    void sendTest(const MailRoute &entered);
    // The dialog's stop: off until the settings are next read.
    void switchOff();

    // Reports only a host that went down or came back, not one that stays
    // down at every pass: the per-user choice of the mail window.
    static bool reportsChangesOnly();

    // Reports down hosts, whatever the switch says.
    SmtpReport &sender() { return m_sender; }

Q_SIGNALS:
    void switchChanged(bool on);
    void userMessage(const QString &text);

private:
    void setOn(bool on);

    QString m_folder;
    const EventLog &m_log;
    MailRoute m_route;
    bool m_on = false;
    SmtpReport m_sender{m_route, m_log};
};
