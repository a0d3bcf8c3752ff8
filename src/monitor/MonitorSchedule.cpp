#include "monitor/MonitorSchedule.h"

#include "monitor/MonitorPass.h"
#include "platform/Clock.h"
#include "platform/HostGrid.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace
{
const QString lastPassCaption = QStringLiteral("前回監視時間: ");
const QString stoppedText = QStringLiteral("サーバーの監視を停止しました。");
}

MonitorSchedule::MonitorSchedule(Controls controls, MonitorPass &pass, QObject *parent)
    : QObject(parent)
    , m_c(std::move(controls))
    , m_pass(pass)
{
    // Timed to the millisecond so that the wait's ticks add up to the interval.
    m_c.Timer1->setTimerType(Qt::PreciseTimer);
    m_c.Timer2->setTimerType(Qt::PreciseTimer);
    m_c.Timer2->setInterval(waitTickMs);
    connect(m_c.Timer1, &QTimer::timeout, this, &MonitorSchedule::Timer1Timer);
    connect(m_c.Timer2, &QTimer::timeout, this, &MonitorSchedule::Timer2Timer);
    connect(&m_pass, &MonitorPass::finished, this, &MonitorSchedule::onPassFinished);
}

void MonitorSchedule::Start(int intervalSec)
{
    m_intervalSec = intervalSec;
    m_stopRequested = false;
    m_c.setPanelText(1, QStringLiteral("監視中..."));
    m_c.setPanelText(2, QString());
    m_c.Timer1->start(m_intervalSec * 1000);
    m_c.cmdMonitor->setText(QStringLiteral("停止"));
    m_c.logEvent(QStringLiteral("サーバーの監視を開始しました。"));
    requestPass(PassKind::First);
}

void MonitorSchedule::Stop()
{
    m_c.Timer1->stop();
    m_c.Timer2->stop();
    m_c.cmdMonitor->setText(QStringLiteral("開始"));
    m_c.setPanelText(1, QStringLiteral("Sentrova v1.0"));
    m_c.setPanelText(2, stoppedText);
    if (!m_c.grdHotGrid->isEnabled())
        m_c.grdHotGrid->setEnabled(true);
    m_stopRequested = true;
    m_pass.requestStop();
    m_waiting.reset();
    m_c.logEvent(stoppedText);
    showLastPassTime(QString());
    m_c.ProgressBar1->setValue(0);
}

void MonitorSchedule::shutDown()
{
    m_c.Timer1->stop();
    m_c.Timer2->stop();
    m_waiting.reset();
    m_pass.abandon();
}

void MonitorSchedule::Timer1Timer()
{
    requestPass(PassKind::Timed);
}

void MonitorSchedule::Timer2Timer()
{
    ++m_waitTicks;
    m_c.ProgressBar1->setValue(m_waitTicks);
    if (m_waitTicks >= m_intervalSec * waitTicksPerSecond)
        m_c.Timer2->stop();
}

void MonitorSchedule::requestPass(PassKind kind)
{
    if (m_pass.isRunning()) {
        if (!m_waiting)
            m_waiting = kind;
        return;
    }
    m_running = kind;
    m_pass.MonitorHosts();
}

void MonitorSchedule::onPassFinished(bool stopped)
{
    showLastPassTime(Clock::dateTimeText(Clock::now()));
    m_c.makeWWW();
    // One wait at a time: a later pass starts it afresh from 0. A stop ends
    // the wait, also when it cut the pass short.
    if (m_running == PassKind::Timed && !stopped && !m_stopRequested) {
        m_c.Timer2->start();
        m_waitTicks = 0;
    }
    if (m_waiting) {
        const PassKind next = *m_waiting;
        m_waiting.reset();
        requestPass(next);
    }
}

void MonitorSchedule::showLastPassTime(const QString &when)
{
    m_c.Label2->setText(lastPassCaption + when);
    m_c.Label2->repaint();
}
