#pragma once

// Peers on 127.0.0.1 for probe tests: a port that accepts, one that refuses,
// and one whose connection attempts hang because its accept queue is full.

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>

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

// In a process of its own, so that it answers while this one is busy:
// accepts every connection and resets it at once (SO_LINGER 0).
class ResettingListener
{
public:
    ResettingListener()
    {
        m_process.start("python3", {"-c", "import socket, struct\n"
                                          "s = socket.create_server(('127.0.0.1', 0)); print(s.getsockname()[1], flush=True)\n"
                                          "while True:\n"
                                          "    c = s.accept()[0]; c.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))\n"
                                          "    c.close(); print('accepted', flush=True)\n"});
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_port = QString::fromLatin1(m_process.readLine().trimmed());
    }
    ~ResettingListener() { m_process.kill(), m_process.waitForFinished(5000); }
    QString port() const { return m_port; }
    // Blocks this process until a connection was accepted (and reset).
    void waitForAccept() { m_process.waitForReadyRead(5000); }
    int accepted() { return m_accepted += int(m_process.readAllStandardOutput().count("accepted")); }

private:
    QProcess m_process;
    QString m_port;
    int m_accepted = 0;
};

// A port nobody listens on: taken from the system and given back.
inline QString closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return QString::number(server.serverPort());
}

// A listener with the shortest accept queue that never accepts: a few
// connections fill the queue, after which Linux drops further SYNs and a
// connection attempt hangs.
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
