#include "core/monitor/HostHealth.h"

#include "core/monitor/MonitorPass.h"

namespace
{
// A notice names this many hosts of a kind, then counts the rest.
constexpr int namedHosts = 5;

QString namesOf(const QStringList &hosts)
{
    QString text = hosts.mid(0, namedHosts).join(QStringLiteral("、"));
    if (hosts.size() > namedHosts)
        text += QStringLiteral(" ほか%1台").arg(hosts.size() - namedHosts);
    return text;
}

// Empty when the pass changed nothing.
QString noticeText(const PassSummary &summary)
{
    QStringList lines;
    if (!summary.wentDown.isEmpty())
        lines << QStringLiteral("ダウン: ") + namesOf(summary.wentDown);
    if (!summary.cameBack.isEmpty())
        lines << QStringLiteral("回復: ") + namesOf(summary.cameBack);
    return lines.join(QLatin1Char('\n'));
}
}

HostHealth::HostHealth(MonitorSchedule &schedule, MonitorPass &pass, QObject *parent)
    : QObject(parent)
    , m_schedule(schedule)
{
    connect(&pass, &MonitorPass::summarised, this, &HostHealth::onPassSummarised);
    // The tooltip tells monitoring on or off at once, the colour after a pass.
    connect(&schedule, &MonitorSchedule::stateChanged, this, [this](MonitorSchedule::State state) {
        if (state == MonitorSchedule::State::Stopped)
            m_passed = false;
        Q_EMIT changed();
    });
}

HostHealth::Level HostHealth::level() const
{
    if (!m_passed)
        return Level::Stopped;
    return m_last.down > 0 ? Level::Down : Level::Running;
}

QString HostHealth::toolTip() const
{
    QString text = QStringLiteral("サーバー監視ユーティリティ");
    if (m_schedule.state() == MonitorSchedule::State::Stopped)
        return text + QStringLiteral(" (停止中)");
    if (!m_passed)
        return text + QStringLiteral(" (監視中)");
    return text + QStringLiteral("\n稼動中 %1台、ダウン %2台").arg(m_last.running).arg(m_last.down);
}

void HostHealth::onPassSummarised(const PassSummary &summary)
{
    if (m_schedule.state() == MonitorSchedule::State::Stopped)
        return;
    m_last = summary;
    m_passed = true;
    Q_EMIT changed();
    const QString text = noticeText(summary);
    if (!text.isEmpty())
        Q_EMIT notice(QStringLiteral("ホストの状態が変わりました"), text);
}
