#include "gui/common/WaitProgressBar.h"

namespace
{
constexpr int minIntervalMs = 100;
}

WaitProgressBar::WaitProgressBar(QWidget *parent)
    : QProgressBar(parent)
{
    setTextVisible(false);
    setValue(0);
}

void WaitProgressBar::showTicks(int ticks, int maximum)
{
    const bool end = ticks <= 0 || ticks >= maximum;
    const int drawnWidth = maximum > 0 ? int(qint64(ticks) * width() / maximum) : 0;
    if (!end && (drawnWidth == m_shownWidth || (m_sinceShown.isValid() && m_sinceShown.elapsed() < minIntervalMs)))
        return;
    m_shownWidth = drawnWidth;
    m_sinceShown.start();
    setRange(0, maximum);
    setValue(ticks);
}
