#pragma once

#include <QObject>
#include <QString>

#include <functional>

class HostGrid;
class ProbeSocket;
class QTimer;

// One monitoring pass, MonitorHosts: probes the host rows of the grid one
// after the other with the probe socket, shows the host and the progress in
// status bar panels 1 and 2, writes "サーバー稼動中" or "サーバーダウン" into
// the status column, logs every down host and, while notification is on,
// reports it and waits for the report to be over before the next host.
//
// The pass is a state machine driven by the socket and the report's
// completion; it never blocks and never runs the event loop itself.
class MonitorPass : public QObject
{
    Q_OBJECT

public:
    struct Hooks
    {
        std::function<void(int panel, const QString &text)> setPanelText;
        std::function<void(const QString &whatHappened)> logEvent;
        std::function<bool()> notificationOn;
        // Sends the failure report; done() runs once it is over, at once or
        // later from the event loop.
        std::function<void(const QString &address, std::function<void()> done)> notify;
    };

    MonitorPass(HostGrid &grid, ProbeSocket &socket, Hooks hooks, QObject *parent = nullptr);
    ~MonitorPass() override;

    // Starts a pass; its first host is probed from the event loop. A pass
    // that is already running is left alone.
    void MonitorHosts();
    bool isRunning() const { return m_running; }

    // The pass ends before its next host; the probe under way is completed
    // and recorded first.
    void requestStop();
    // Ends the pass at once without recording anything (the program ends).
    void abandon();

Q_SIGNALS:
    // Emitted from the event loop. stopped: ended by requestStop(), in which
    // case the grid is left as the stop command left it.
    void finished(bool stopped);

private:
    void nextHost();
    void onSocketState(int state);
    void onAttemptEnded(int state);
    void recordOutcome(int state);
    void afterReport();
    void endPass(bool stopped);
    QString cellText(int row, int column);
    void setCellText(int row, int column, const QString &text);

    HostGrid &m_grid;
    ProbeSocket &m_socket;
    Hooks m_hooks;
    QTimer *m_step;        // moves the walk on from the event loop

    bool m_running = false;
    bool m_stopRequested = false;
    bool m_probing = false;
    int m_lastRow = 0;     // the last host row as the pass began
    int m_row = 0;         // the host row being probed
    QString m_address;     // of the host being probed
    QString m_portText;
    quint64 m_lastReport = 0;
    quint64 m_awaitedReport = 0;   // 0: none; a late or repeated completion is ignored
    bool m_inNotify = false;
    bool m_reportOver = false;
};
