#include "gui/desktop/TrayIcon.h"

#include "core/monitor/HostHealth.h"

#include <QPainter>
#include <QSystemTrayIcon>

namespace
{
QIcon markedIcon(HostHealth::Level level)
{
    QPixmap pixmap = QIcon(QStringLiteral(":/icons/sentrova-32.png")).pixmap(32, 32);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(150, 150, 150), QColor(40, 170, 60), QColor(215, 40, 40)};
    painter.setPen(QPen(Qt::white, 2));
    painter.setBrush(colours[int(level)]);
    painter.drawEllipse(QRect(15, 15, 16, 16));
    return QIcon(pixmap);
}
}

TrayIcon::TrayIcon(const HostHealth &health, QObject *parent)
    : QObject(parent)
    , m_health(health)
    , m_icon(new QSystemTrayIcon(this))
{
    connect(&health, &HostHealth::changed, this, &TrayIcon::showHealth);
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Q_EMIT clicked();
    });
    showHealth();
}

void TrayIcon::setShown(bool shown)
{
    m_shown = shown;
    m_icon->setVisible(shown && QSystemTrayIcon::isSystemTrayAvailable());
}

// A tray that appears after the program started (a panel started later) is
// found at the next change of monitoring.
void TrayIcon::showHealth()
{
    if (m_shown && !m_icon->isVisible() && QSystemTrayIcon::isSystemTrayAvailable())
        m_icon->show();
    // The mark is painted only when it changes, not at every step of the schedule.
    if (const HostHealth::Level level = m_health.level(); level != m_level || m_icon->icon().isNull()) {
        m_level = level;
        m_icon->setIcon(markedIcon(level));
    }
    m_icon->setToolTip(m_health.toolTip());
}
