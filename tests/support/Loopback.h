#pragma once

// Peers on 127.0.0.1 for probe tests: a port that accepts, one that refuses,
// and one whose connection attempts hang because its accept queue is full.

#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Loopback
{
inline const QString address = QStringLiteral("127.0.0.1");

// Counts the connections it accepts. HangUp closes each at once, Reset
// resets it (a zero linger time makes the close an RST).
class Listener
{
public:
    enum Mode { Keep, HangUp, Reset };
    explicit Listener(Mode mode = Keep, const QHostAddress &on = QHostAddress(QHostAddress::LocalHost))
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, mode] {
            while (QTcpSocket *peer = m_server.nextPendingConnection()) {
                ++m_accepted;
                const linger noLinger{1, 0};
                if (mode == Reset)
                    ::setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
                if (mode != Keep)
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
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), length);
        ::listen(m_fd, 0);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &length);
        m_port = QString::number(ntohs(addr.sin_port));
        for (int &filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr *>(&addr), length);
        }
    }
    ~HangingListener()
    {
        for (int fd : m_fillers)
            ::close(fd);
        ::close(m_fd);
    }
    QString port() const { return m_port; }

private:
    int m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    QString m_port;
    int m_fillers[4] = {};
};
}
