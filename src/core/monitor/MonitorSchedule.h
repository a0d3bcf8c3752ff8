#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

class EventLog;
class MonitorPass;

// Monitoring on and off: a pass at once when monitoring starts, then one
// every interval; after every pass the time of the pass and the status page;
// after every timed pass a wait, shown as progress, of interval x 50 ticks of
// 20 ms, counted in 25 steps at least 100 ms apart: each step wakes the
// program and repaints the bar, and a step every tick cost about 1% of a core
// while monitoring idled. A pass asked for while one runs never runs inside
// it: one request waits and runs as soon as the running pass has ended.
class MonitorSchedule : public QObject
{
    Q_OBJECT

public:
    enum class State {
        Stopped,
        Passing,
        Waiting,   // after a timed pass
        Idle,   // after the first pass, or once a wait is over
    };
    static constexpr int waitTickMs = 20;
    // What the host text says while monitoring is off: "Sentrova v" and the version.
    static const QString stoppedHostText;

    MonitorSchedule(MonitorPass &pass, const EventLog &log, QObject *parent = nullptr);

    // The start/stop button: starts when stopped, stops otherwise. A start
    // with an interval outside 1 to 65 seconds is refused with a message; a
    // stop needs no interval.
    void toggle(const QString &intervalText);
    // The program ends: no timer, pass or after-pass step runs any more.
    void shutDown();

    State state() const { return m_state; }

Q_SIGNALS:
    void stateChanged(MonitorSchedule::State state);
    // What the program is doing and how far it has got: the host being
    // probed and the progress of the probe, or monitoring started or stopped.
    void hostTextChanged(const QString &text);
    void progressTextChanged(const QString &text);
    void lastPassChanged(const QString &text);
    void waitProgressChanged(int ticks, int maximum);
    // After every pass, before its wait begins: time to write the page.
    void passFinished();
    void userMessage(const QString &text);

private:
    enum class PassKind { First, Timed };

    void start(int seconds);
    void stop();
    void setState(State state);
    void requestPass(PassKind kind);
    void onPassFinished(bool stopped);
    void onWaitTick();
    int waitTicks() const { return m_seconds * (1000 / waitTickMs); }
    int ticksPerStep() const { return qMax(5, waitTicks() / 25); }

    MonitorPass &m_pass;
    const EventLog &m_log;
    QTimer m_passTimer;
    QTimer m_waitTimer;
    State m_state = State::Stopped;
    int m_seconds = 20;
    int m_ticks = 0;
    PassKind m_running = PassKind::First;
    std::optional<PassKind> m_waiting;
};
