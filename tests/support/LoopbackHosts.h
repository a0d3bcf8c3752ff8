#pragma once

// Peers on loopback for probe tests: a port that accepts, a port that
// refuses, a name that cannot resolve, and a port whose connection attempts
// hang because its accept queue is full.

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>


namespace LoopbackHosts
{
inline const QString address = QStringLiteral("127.0.0.1");
// The reserved .invalid domain never resolves.
inline const QString unresolvableName = QStringLiteral("sentrova-probe.invalid");

// Accepts and counts connections, and keeps each until its client goes.
class Listener
{
public:
    // HangUp: the peer closes every connection it accepts, as tcpwrappers
    // and overloaded servers do; Reset: it resets it (RST) instead.
    enum Mode { Keep, HangUp, Reset };
    explicit Listener(Mode mode = Keep, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost))
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, mode] {
            while (QTcpSocket *peer = m_server.nextPendingConnection()) {
                ++m_accepted;
                if (mode != Keep) {
                    // A zero linger time makes the close a reset.
                    const linger noLinger{1, 0};
                    if (mode == Reset)
                        ::setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger, sizeof noLinger);
                    peer->abort();
                    peer->deleteLater();
                    continue;
                }
                QObject::connect(peer, &QTcpSocket::stateChanged, peer, [peer](QAbstractSocket::SocketState s) {
                    if (s == QAbstractSocket::UnconnectedState)
                        peer->deleteLater();
                });
            }
        });
        m_server.listen(address, 0);
    }
    quint16 port() const { return m_server.serverPort(); }
    int accepted() const { return m_accepted; }

private:
    QTcpServer m_server;
    int m_accepted = 0;
};

// A port nobody listens on: taken from the system and given back.
inline quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

// listen(fd, 0) and never accept; a few connections fill the accept queue,
// after which Linux drops further SYNs and a connection attempt hangs.
class HangingListener
{
public:
    HangingListener()
    {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        ::listen(m_fd, 0);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&addr), &length);
        m_port = ntohs(addr.sin_port);
        for (int &client : m_fillers) {
            client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(client, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        }
    }
    ~HangingListener()
    {
        for (int fd : m_fillers)
            ::close(fd);
        ::close(m_fd);
    }
    HangingListener(const HangingListener &) = delete;
    HangingListener &operator=(const HangingListener &) = delete;
    quint16 port() const { return m_port; }

private:
    int m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
    quint16 m_port = 0;
    int m_fillers[4] = {};
};
}
