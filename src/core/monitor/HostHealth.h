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
    enum class Level {
        Stopped,   // also before the first pass since the start has ended
        Running,
        Down
    };

    HostHealth(MonitorSchedule &schedule, MonitorPass &pass, QObject *parent = nullptr);

    Level level() const;
    QString toolTip() const;

Q_SIGNALS:
    void changed();
    void notice(const QString &title, const QString &text);

private:
    void onPassSummarised(const PassSummary &summary);

    MonitorSchedule &m_schedule;
    PassSummary m_last;
    bool m_passed = false;   // a pass ended since monitoring started: m_last tells how the list stands
};
