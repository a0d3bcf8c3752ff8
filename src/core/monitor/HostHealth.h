#pragma once

#include "core/monitor/MonitorSchedule.h"
#include "core/monitor/PassSummary.h"

#include <QObject>
#include <QString>

class MonitorPass;

// How monitoring stands, for the desktop around the window: grey while
// stopped, green while every probed host runs, red while any is down; and a
// notice for every pass that found a host down or back. A pass that ends
// after 停止 changes nothing here.
class HostHealth : public QObject
{
    Q_OBJECT

public:
    enum class Level { Stopped, Running, Down };
    // A notice names this many hosts of a kind, then counts the rest.
    static constexpr int namedHosts = 5;

    HostHealth(MonitorSchedule &schedule, MonitorPass &pass, QObject *parent = nullptr);

    Level level() const { return m_level; }
    QString toolTip() const;
    // The notice's text for a pass, empty when it changed nothing.
    static QString noticeText(const PassSummary &summary);

Q_SIGNALS:
    void changed();
    void notice(const QString &title, const QString &text);

private:
    void onPassSummarised(const PassSummary &summary);

    MonitorSchedule &m_schedule;
    Level m_level = Level::Stopped;
    PassSummary m_last;
    bool m_passed = false;   // a pass ended since monitoring started
};
