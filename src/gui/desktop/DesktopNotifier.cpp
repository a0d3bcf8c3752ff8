#include "gui/desktop/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace
{
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
}

DesktopNotifier::DesktopNotifier(QObject *parent)
    : QObject(parent)
{
    QDBusConnection::sessionBus().connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                                          SLOT(onActionInvoked(uint, QString)));
    QDBusConnection::sessionBus().connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                                          SLOT(onClosed(uint)));
}

void DesktopNotifier::notify(const QString &title, const QString &text)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, QStringLiteral("Notify"));
    // The "default" action is a click on the notification itself.
    // A server may read the body as markup: a host name is text.
    call << QStringLiteral("Sentrova") << uint(0) << QStringLiteral("sentrova") << title << text.toHtmlEscaped()
         << QStringList{QStringLiteral("default"), QStringLiteral("表示")} << QVariantMap() << -1;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isValid())
            m_shown.insert(reply.value());
        finished->deleteLater();
    });
}

void DesktopNotifier::onClosed(uint id)
{
    m_shown.remove(id);
}

void DesktopNotifier::onActionInvoked(uint id, const QString &action)
{
    if (action == QLatin1String("default") && m_shown.contains(id))
        Q_EMIT clicked();
}
