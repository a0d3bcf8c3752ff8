#pragma once

#include <QElapsedTimer>
#include <QProgressBar>

// The wait between passes, filling evenly over the interval. The wait counts
// 50 ticks a second; repainting the bar at every tick cost about 1% of a core
// while monitoring idled. The bar is repainted only when the width it draws
// changes, at most about ten times a second; an empty or full bar at once.
class WaitProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit WaitProgressBar(QWidget *parent = nullptr);

    void showTicks(int ticks, int maximum);

private:
    QElapsedTimer m_sinceShown;
    int m_shownWidth = 0;
};
