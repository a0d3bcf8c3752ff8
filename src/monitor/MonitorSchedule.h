#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class HostGrid;
class MonitorPass;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

// Monitoring on and off: the start and stop commands of cmdMonitor, a timed
// pass at every tick of Timer1, the time of the last pass in Label2 and the
// status page after every pass, and after a timed pass the wait that Timer2
// paces and ProgressBar1 shows (IntervalSec x 50 ticks of 20 ms).
//
// A pass asked for while one runs never runs inside it: at most one request
// waits and runs as soon as the running pass has ended.
class MonitorSchedule : public QObject
{
    Q_OBJECT

public:
    static constexpr int waitTickMs = 20;
    static constexpr int waitTicksPerSecond = 1000 / waitTickMs;

    struct Controls
    {
        QPushButton *cmdMonitor = nullptr;
        QLabel *Label2 = nullptr;
        QProgressBar *ProgressBar1 = nullptr;
        HostGrid *grdHotGrid = nullptr;
        QTimer *Timer1 = nullptr;
        QTimer *Timer2 = nullptr;
        std::function<void(int panel, const QString &text)> setPanelText;
        std::function<void(const QString &whatHappened)> logEvent;
        std::function<void()> makeWWW;
    };

    MonitorSchedule(Controls controls, MonitorPass &pass, QObject *parent = nullptr);

    // intervalSec: 1 to 65, already checked by the caller.
    void Start(int intervalSec);
    void Stop();
    // The program ends: no timer, pass or after-pass step runs any more.
    void shutDown();

    bool StopRequested() const { return m_stopRequested; }
    int WaitTicks() const { return m_waitTicks; }

private:
    enum class PassKind { First, Timed };

    void Timer1Timer();
    void Timer2Timer();
    void requestPass(PassKind kind);
    void onPassFinished(bool stopped);
    void showLastPassTime(const QString &when);

    Controls m_c;
    MonitorPass &m_pass;
    int m_intervalSec = 20;
    int m_waitTicks = 0;
    bool m_stopRequested = false;
    PassKind m_running = PassKind::First;
    std::optional<PassKind> m_waiting;
};
