#include "core/monitor/MonitorSchedule.h"

#include "core/base/Clock.h"
#include "core/base/InputText.h"
#include "core/log/EventLog.h"
#include "core/monitor/MonitorPass.h"

namespace
{
const QString lastPassCaption = QStringLiteral("前回監視時間: ");
const QString stoppedText = QStringLiteral("サーバーの監視を停止しました。");
constexpr int maxSeconds = 65;   // a timer of the design counts to 65,535 ms
}

const QString MonitorSchedule::stoppedHostText = QStringLiteral("Sentrova v" SENTROVA_VERSION);

MonitorSchedule::MonitorSchedule(MonitorPass &pass, const EventLog &log, QObject *parent)
    : QObject(parent)
    , m_pass(pass)
    , m_log(log)
{
    // Timed to the millisecond, so that the wait's ticks add up to the interval.
    m_passTimer.setTimerType(Qt::PreciseTimer);
    m_waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_passTimer, &QTimer::timeout, this, [this] { requestPass(PassKind::Timed); });
    connect(&m_waitTimer, &QTimer::timeout, this, &MonitorSchedule::onWaitTick);
    connect(&m_pass, &MonitorPass::finished, this, &MonitorSchedule::onPassFinished);
    connect(&m_pass, &MonitorPass::hostTextChanged, this, &MonitorSchedule::hostTextChanged);
    connect(&m_pass, &MonitorPass::progressTextChanged, this, &MonitorSchedule::progressTextChanged);
}

void MonitorSchedule::toggle(const QString &intervalText)
{
    if (m_state != State::Stopped)
        return stop();
    // An empty box means 20 seconds.
    const std::optional<int> seconds =
        intervalText.isEmpty() ? 20 : InputText::number(intervalText, 1, maxSeconds, InputText::Rest::Refused);
    if (!seconds)
        return Q_EMIT userMessage(QStringLiteral("監視間隔は1から65までの秒数を入力してください。"));
    start(*seconds);
}

void MonitorSchedule::start(int seconds)
{
    m_seconds = seconds;
    Q_EMIT waitProgressChanged(m_ticks, waitTicks());
    Q_EMIT hostTextChanged(QStringLiteral("監視中..."));
    Q_EMIT progressTextChanged(QString());
    m_passTimer.start(m_seconds * 1000);
    setState(State::Passing);
    m_log.write(QStringLiteral("サーバーの監視を開始しました。"));
    requestPass(PassKind::First);
}

void MonitorSchedule::stop()
{
    m_passTimer.stop();
    m_waitTimer.stop();
    m_waiting.reset();
    setState(State::Stopped);
    Q_EMIT hostTextChanged(stoppedHostText);
    Q_EMIT progressTextChanged(stoppedText);
    m_pass.requestStop();
    m_log.write(stoppedText);
    Q_EMIT lastPassChanged(lastPassCaption);
    m_ticks = 0;
    Q_EMIT waitProgressChanged(m_ticks, waitTicks());
}

void MonitorSchedule::shutDown()
{
    m_passTimer.stop();
    m_waitTimer.stop();
    m_waiting.reset();
    m_pass.abandon();
}

void MonitorSchedule::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void MonitorSchedule::requestPass(PassKind kind)
{
    if (m_pass.isRunning()) {
        if (!m_waiting)
            m_waiting = kind;
        return;
    }
    m_running = kind;
    setState(State::Passing);
    m_pass.start();
}

void MonitorSchedule::onPassFinished(bool stopped)
{
    // After a stop the window keeps showing the stopped state.
    if (m_state != State::Stopped)
        Q_EMIT lastPassChanged(lastPassCaption + Clock::dateTimeText(Clock::now()));
    Q_EMIT passFinished();
    // One wait at a time: a later pass starts it afresh from 0. A stop ends
    // the wait, also when it cut the pass short.
    if (m_state != State::Stopped) {
        if (m_running == PassKind::Timed && !stopped) {
            m_ticks = 0;
            m_waitTimer.start(ticksPerStep() * waitTickMs);
            setState(State::Waiting);
        } else {
            setState(State::Idle);
        }
    }
    if (m_waiting)
        requestPass(*std::exchange(m_waiting, std::nullopt));
}

void MonitorSchedule::onWaitTick()
{
    m_ticks = qMin(m_ticks + ticksPerStep(), waitTicks());
    Q_EMIT waitProgressChanged(m_ticks, waitTicks());
    if (m_ticks >= waitTicks()) {
        m_waitTimer.stop();
        if (m_state == State::Waiting)
            setState(State::Idle);
    }
}
