#include "gui/common/StatusPanel.h"

namespace
{
constexpr int throttleMs = 40;
}

StatusPanel::StatusPanel(QWidget *parent)
    : QLabel(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(throttleMs);
    connect(&m_timer, &QTimer::timeout, this, &StatusPanel::showPending);
}

void StatusPanel::showText(const QString &text)
{
    m_pending = text;
    if (!m_throttled)
        showPending();
    else if (!m_timer.isActive())
        m_timer.start();
}

void StatusPanel::setThrottled(bool throttled)
{
    m_throttled = throttled;
    if (!throttled && m_timer.isActive())
        showPending();
}

void StatusPanel::showPending()
{
    m_timer.stop();
    setText(m_pending);
}
