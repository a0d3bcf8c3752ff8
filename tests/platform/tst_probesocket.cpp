#include "monitor/LoopbackHosts.h"
#include "platform/ProbeSocket.h"
#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace
{
enum Peer { Accepting, Refusing, Unresolvable, Hanging, PortZero, PortTooLarge, EmptyHost };
}
Q_DECLARE_METATYPE(Peer)

class TestProbeSocket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void attemptOutcomes_data()
    {
        QTest::addColumn<Peer>("peer");
        QTest::addColumn<int>("endState");
        QTest::addColumn<bool>("attempted");   // went through "resolving host"
        QTest::newRow("accepting") << Accepting << 7 << true;
        QTest::newRow("refusing") << Refusing << 9 << true;
        QTest::newRow("unresolvable name") << Unresolvable << 9 << true;
        QTest::newRow("hanging: timeout") << Hanging << 9 << true;
        QTest::newRow("port 0") << PortZero << 9 << false;
        QTest::newRow("port 65536") << PortTooLarge << 9 << false;
        QTest::newRow("empty host") << EmptyHost << 9 << false;
    }
    void attemptOutcomes()
    {
        QFETCH(Peer, peer);
        QFETCH(int, endState);
        QFETCH(bool, attempted);
        TestFolder folder;
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        QString host = LoopbackHosts::address;
        int port = listener.port();
        switch (peer) {
        case Accepting: break;
        case Refusing: port = LoopbackHosts::closedPort(); break;
        case Unresolvable: host = LoopbackHosts::unresolvableName; break;
        case Hanging: port = hanging.port(); break;
        case PortZero: port = 0; break;
        case PortTooLarge: port = 65536; break;
        case EmptyHost: host.clear(); break;
        }

        ProbeSocket socket;
        socket.setTimeout(300);
        QList<int> states;
        connect(&socket, &ProbeSocket::stateChanged, this, [&](int s) { states.append(s); });
        QSignalSpy ended(&socket, &ProbeSocket::attemptEnded);
        QElapsedTimer clock;
        clock.start();
        socket.Connect(host, port);
        // The end is always reported from the event loop.
        QCOMPARE(ended.count(), 0);
        QVERIFY(ended.wait(5000));
        QCOMPARE(socket.state(), endState);
        QCOMPARE(ended.takeFirst().at(0).toInt(), endState);
        QCOMPARE(states.contains(ProbeSocket::ResolvingHost), attempted);
        if (peer == Hanging)
            QVERIFY(clock.elapsed() >= 250);
        else
            QVERIFY2(clock.elapsed() < 250, "ended by the timeout instead of the peer");
        QVERIFY(!ended.wait(20));
        socket.Close();
        QCOMPARE(socket.state(), 0);
    }

    void closeDuringAttemptSilencesIt()
    {
        TestFolder folder;
        LoopbackHosts::HangingListener hanging;
        ProbeSocket socket;
        socket.setTimeout(100);
        QSignalSpy ended(&socket, &ProbeSocket::attemptEnded);
        socket.Connect(LoopbackHosts::address, hanging.port());
        QTRY_COMPARE(socket.state(), int(ProbeSocket::Connecting));
        socket.Close();
        QCOMPARE(socket.state(), 0);
        QVERIFY(!ended.wait(250));
        QCOMPARE(socket.state(), 0);
    }

    void peerClosingAfterAcceptIsClosingNotError()
    {
        TestFolder folder;
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, &server, [&] {
            QTcpSocket *peer = server.nextPendingConnection();
            peer->disconnectFromHost();
            peer->deleteLater();
        });
        ProbeSocket socket;
        QSignalSpy ended(&socket, &ProbeSocket::attemptEnded);
        socket.Connect(LoopbackHosts::address, server.serverPort());
        QVERIFY(ended.wait(3000));
        QCOMPARE(ended.first().at(0).toInt(), int(ProbeSocket::Connected));
        QTRY_COMPARE(socket.state(), int(ProbeSocket::Closing));
    }
};

QTEST_MAIN(TestProbeSocket)
#include "tst_probesocket.moc"
