#include "core/base/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>

SingleInstance::SingleInstance(const QString &folder, QObject *parent)
    : QObject(parent)
    , m_socketPath(QDir(folder).filePath(QStringLiteral("Sentrova.sock")))
    , m_lock(QDir(folder).filePath(QStringLiteral("Sentrova.lock")))
{
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            Q_EMIT raiseRequested();
        }
    });
}

bool SingleInstance::claim()
{
    // A lock whose process is gone is stale and taken over at once.
    if (m_lock.tryLock(0)) {
        QLocalServer::removeServer(m_socketPath);
        m_server.listen(m_socketPath);
        return true;
    }
    auto *socket = new QLocalSocket(this);
    connect(socket, &QLocalSocket::connected, socket, &QLocalSocket::disconnectFromServer);
    connect(socket, &QLocalSocket::disconnected, this, &SingleInstance::delivered);
    connect(socket, &QLocalSocket::errorOccurred, this, &SingleInstance::delivered);
    socket->connectToServer(m_socketPath);
    return false;
}
