#pragma once

#include "core/monitor/PassSummary.h"
#include "core/monitor/ProbeSocket.h"
#include "core/notify/SmtpMessage.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <deque>
#include <optional>

class QModelIndex;

class EventLog;
class HostTableModel;
class MailNotification;

// One monitoring pass: probes the hosts of the list by a TCP connect to each,
// up to N at once (a per-user setting, 64 unless set; 1 probes one host after
// the other), and records their outcomes strictly in list order, as a pass
// made one host at a time would: the cursor moves to the host's row, the
// status bar shows its texts, then its status, its log line and, while
// failure notification is on, its whole report before the next host's
// outcome is recorded. The probes ahead go on meanwhile. A host that accepts
// the connection is "サーバー稼動中"; any other is "サーバーダウン".
//
// The list may be edited while a pass runs: rows added wait for the next
// pass; a row removed gets nothing recorded, and rows moved up by a removal
// are recorded in their new places.
class MonitorPass : public QObject
{
    Q_OBJECT

public:
    static constexpr int defaultParallel = 64;

    MonitorPass(HostTableModel &hosts, const EventLog &log, MailNotification &mail, QObject *parent = nullptr);

    // Starts a pass unless one is running; its first hosts are probed from
    // the event loop.
    void start();
    bool isRunning() const { return m_running; }
    // The pass ends once the host whose outcome is next has been recorded;
    // every other probe under way is closed unrecorded.
    void requestStop();
    // Ends the pass at once without recording anything: the program ends.
    void abandon();

    // Bounds each probe (10 s unless set).
    void setProbeTimeout(int milliseconds) { m_probeTimeoutMs = milliseconds; }
    int probeTimeout() const { return m_probeTimeoutMs; }

Q_SIGNALS:
    void hostTextChanged(const QString &address);
    void progressTextChanged(const QString &text);
    // What the pass changed, just before finished(); not after abandon().
    void summarised(const PassSummary &summary);
    // Emitted from the event loop; stopped: ended by requestStop().
    void finished(bool stopped);

private:
    struct Probe
    {
        int row = 0;
        QString address;
        QString port;
        ProbeSocket *socket = nullptr;   // while under way
        QList<ProbeSocket::State> states;   // passed through so far
        std::optional<bool> running;   // the outcome, once known
        QString localFailure;   // why this machine could not probe it
        bool shown = false;   // the next to record, in the status bar
        bool gone = false;   // its row was removed
    };

    void advance();
    void startProbes();
    void show(Probe &probe);
    void showState(ProbeSocket::State state);
    void onProbeState(ProbeSocket *socket, ProbeSocket::State state);
    void onAttemptEnded(ProbeSocket *socket, ProbeSocket::State state);
    bool record(const Probe &probe);
    std::optional<SmtpMessage::Kind> reportFor(bool running, bool wasDown) const;
    void onRowsRemoved(const QModelIndex &, int first, int last);
    void release(Probe &probe);
    void dropProbesAfter(std::size_t kept);
    void end(bool stopped);

    HostTableModel &m_hosts;
    const EventLog &m_log;
    MailNotification &m_mail;
    QList<ProbeSocket *> m_idle;   // sockets ready for the next probe, in the order they were made
    QHash<ProbeSocket *, Probe *> m_underWay;
    std::deque<Probe> m_probes;   // in list order; the first is the next to record
    int m_probeTimeoutMs = 10000;
    int m_parallel = defaultParallel;
    bool m_reportsChangesOnly = false;   // read once a pass, not once a host
    PassSummary m_summary;

    bool m_running = false;
    bool m_stopRequested = false;
    bool m_reporting = false;
    bool m_localFailureLogged = false;   // in this pass
    int m_lastRow = -1;   // the last row as the pass began
    int m_nextRow = 0;   // the next row to probe
    // Counts passes begun or abandoned: a step or a report that ends after
    // its pass was abandoned is ignored.
    quint64 m_generation = 0;
};
