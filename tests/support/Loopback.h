#pragma once

// Peers on 127.0.0.1 for probe tests: a port that accepts, one that refuses,
// and one whose connection attempts hang because its accept queue is full.

#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <unistd.h>

namespace Loopback
{
// Counts the connections it accepts; hangUp closes each at once.
class Listener
{
public:
    explicit Listener(bool hangUp = false, const QHostAddress &on = QHostAddress(QHostAddress::LocalHost))
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, hangUp] {
            while (QTcpSocket *peer = m_server.nextPendingConnection()) {
                ++m_accepted;
                if (hangUp)
                    peer->abort();
            }
        });
        m_server.listen(on, 0);
    }
    QString port() const { return QString::number(m_server.serverPort()); }
    int accepted() const { return m_accepted; }

private:
    QTcpServer m_server;
    int m_accepted = 0;
};

// A port nobody listens on: taken from the system and given back.
inline QString closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return QString::number(server.serverPort());
}

// listen(fd, 0) and never accept: a few connections fill the accept queue,
// after which Linux drops further SYNs and a connection attempt hangs.
class HangingListener
{
public:
    HangingListener()
    {
        sockaddr_in addr{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t length = sizeof addr;
        ::bind(m_fds[0], reinterpret_cast<sockaddr *>(&addr), length);
        ::listen(m_fds[0], 0);
        ::getsockname(m_fds[0], reinterpret_cast<sockaddr *>(&addr), &length);
        m_port = QString::number(ntohs(addr.sin_port));
        for (int i = 1; i < 5; ++i) {
            m_fds[i] = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(m_fds[i], reinterpret_cast<sockaddr *>(&addr), length);
        }
    }
    ~HangingListener()
    {
        for (int fd : m_fds)
            ::close(fd);
    }
    QString port() const { return m_port; }

private:
    int m_fds[5] = {::socket(AF_INET, SOCK_STREAM, 0)};
    QString m_port;
};
}
