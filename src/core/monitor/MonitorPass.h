#pragma once

#include "core/monitor/ProbeSocket.h"
#include "core/notify/SmtpMessage.h"

#include <QObject>
#include <QString>

#include <optional>

class QModelIndex;

class EventLog;
class HostTableModel;
class MailNotification;

// One monitoring pass: probes the hosts of the list one after the other, in
// list order, by a TCP connect to each. A host that accepts the connection is
// "サーバー稼動中"; any other is "サーバーダウン", logged and, while failure
// notification is on, reported by mail before the next host is probed. The
// list's cursor follows the host being probed.
//
// The list may be edited while a pass runs: rows added wait for the next
// pass, rows removed end it early, and an outcome is written only into the
// row of the host that was probed.
class MonitorPass : public QObject
{
    Q_OBJECT

public:
    MonitorPass(HostTableModel &hosts, const EventLog &log, MailNotification &mail, QObject *parent = nullptr);

    // Starts a pass unless one is running; its first host is probed from the
    // event loop.
    void start();
    bool isRunning() const { return m_running; }
    // The pass ends before its next host; the probe under way is completed
    // and recorded first.
    void requestStop();
    // Ends the pass at once without recording anything: the program ends.
    void abandon();

Q_SIGNALS:
    void hostTextChanged(const QString &address);
    void progressTextChanged(const QString &text);
    // Emitted from the event loop; stopped: ended by requestStop().
    void finished(bool stopped);

private:
    void probeNextHost();
    void onProbeState(ProbeSocket::State state);
    void onAttemptEnded(ProbeSocket::State state);
    static std::optional<SmtpMessage::Kind> reportFor(bool running, bool wasDown);
    void onRowsRemoved(const QModelIndex &, int first, int last);
    void goOn();
    void end(bool stopped);

    HostTableModel &m_hosts;
    const EventLog &m_log;
    MailNotification &m_mail;
    ProbeSocket m_probe;

    bool m_running = false;
    bool m_stopRequested = false;
    int m_lastRow = -1;   // the last row as the pass began
    int m_row = -1;   // the row being probed
    bool m_rowGone = false;   // the probed row was removed
    QString m_address;   // of the host being probed
    QString m_port;
    // Counts passes begun or abandoned: a step or a report that ends after
    // its pass was abandoned is ignored.
    quint64 m_generation = 0;
};
