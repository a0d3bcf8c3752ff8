#pragma once

// Peers on 127.0.0.1 for probe tests: a port that accepts (and may hang up or reset),
// one that refuses, and one whose connection attempts hang because its queue is full.

#include <QTcpServer>
#include <QTcpSocket>

#include <sys/socket.h>

namespace Loopback
{
// Counts the connections it accepts; hangUp closes each at once, reset resets each.
class Listener
{
public:
    explicit Listener(bool hangUp = false, const QHostAddress &on = QHostAddress(QHostAddress::LocalHost), bool reset = false,
                      quint16 port = 0)
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, hangUp, reset] {
            while (QTcpSocket *peer = m_server.nextPendingConnection()) {
                ++m_accepted;
                const linger atOnce{1, 0};
                if (reset)
                    setsockopt(int(peer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &atOnce, sizeof atOnce);
                if (hangUp || reset)
                    peer->abort();
            }
        });
        m_server.listen(on, port);
    }
    QString port() const { return QString::number(m_server.serverPort()); }
    int accepted() const { return m_accepted; }
    // Blocks this process until a connection has come (the kernel completes the handshake on its own) and
    // has been served, so that a reset is there before the program under test looks at its socket.
    void waitForAccept() { m_server.waitForNewConnection(5000); }

private:
    QTcpServer m_server;
    int m_accepted = 0;
};

// A port nobody listens on: taken from the system on every address (free on ::1 as on 127.0.0.1, for a name such as localhost) and given back.
inline QString closedPort() { return Listener(false, QHostAddress(QHostAddress::Any)).port(); }

// Never accepts, with the shortest accept queue: a few connections fill it, after which Linux drops further SYNs and a connection attempt hangs.
class HangingListener
{
public:
    HangingListener()
    {
        m_server.setListenBacklogSize(0);
        m_server.listen(QHostAddress::LocalHost, 0);
        m_server.pauseAccepting();
        for (QTcpSocket &filler : m_fillers)
            filler.connectToHost(QHostAddress::LocalHost, m_server.serverPort());
    }
    QString port() const { return QString::number(m_server.serverPort()); }

private:
    QTcpServer m_server;
    QTcpSocket m_fillers[4];
};
}
