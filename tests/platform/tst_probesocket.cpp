#include "support/LoopbackHosts.h"
#include "platform/ProbeSocket.h"
#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

enum Peer { Accepting, HangingUp, Refusing, Unresolvable, Hanging, ClosedWhileConnecting, PortZero, PortTooLarge };
Q_DECLARE_METATYPE(Peer)

class TestProbeSocket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void attemptOutcomes_data()
    {
        QTest::addColumn<Peer>("peer");
        QTest::addColumn<int>("endState");
        QTest::addColumn<int>("stateAfter");
        QTest::newRow("accepting") << Accepting << 7 << 7;
        QTest::newRow("hangs up after accepting: closing, not error") << HangingUp << 7 << 8;
        QTest::newRow("refusing") << Refusing << 9 << 9;
        QTest::newRow("unresolvable name") << Unresolvable << 9 << 9;
        QTest::newRow("hanging: timeout") << Hanging << 9 << 9;
        QTest::newRow("closed while connecting: no end") << ClosedWhileConnecting << -1 << 0;
        QTest::newRow("port 0: no attempt") << PortZero << 9 << 9;
        QTest::newRow("port 65536: no attempt") << PortTooLarge << 9 << 9;
    }
    void attemptOutcomes()
    {
        QFETCH(Peer, peer);
        QFETCH(int, endState);
        QFETCH(int, stateAfter);
        TestFolder folder;
        LoopbackHosts::Listener listener(peer == HangingUp ? LoopbackHosts::Listener::HangUp : LoopbackHosts::Listener::Keep);
        LoopbackHosts::HangingListener hanging;
        const int ports[] = {listener.port(), listener.port(), LoopbackHosts::closedPort(), listener.port(),
                             hanging.port(), hanging.port(), 0, 65536};
        ProbeSocket socket;
        socket.setTimeout(300);
        QSignalSpy ended(&socket, &ProbeSocket::attemptEnded);
        QElapsedTimer clock;
        clock.start();
        socket.Connect(peer == Unresolvable ? LoopbackHosts::unresolvableName : LoopbackHosts::address, ports[peer]);
        // The end is always reported from the event loop, and once.
        QCOMPARE(ended.count(), 0);
        if (endState < 0) {
            QTRY_COMPARE(socket.state(), int(ProbeSocket::Connecting));
            socket.Close();
            QVERIFY(!ended.wait(400));
            return;
        }
        QVERIFY(ended.wait(5000));
        QCOMPARE(ended.takeFirst().at(0).toInt(), endState);
        QTRY_COMPARE(socket.state(), stateAfter);
        QVERIFY2((clock.elapsed() >= 250) == (peer == Hanging), "the timeout decided instead of the peer");
        QVERIFY(!ended.wait(20));
    }
};

QTEST_MAIN(TestProbeSocket)
#include "tst_probesocket.moc"
