#include "log/EventLog.h"
#include "monitor/MonitorPass.h"
#include "platform/HostGrid.h"
#include "platform/ProbeSocket.h"
#include "support/LoopbackHosts.h"
#include "support/GridTexts.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QtTest>

namespace
{
const QString running = QStringLiteral("サーバー稼動中");
const QString down = QStringLiteral("サーバーダウン");
const QString local = LoopbackHosts::address;

QString downLine(const QString &address)
{
    return QStringLiteral("「") + address + QStringLiteral("」はダウンしています。");
}

// A grid, a socket and a pass wired to recorders instead of a window.
struct Rig
{
    TestFolder folder;
    EventLog log{folder.path()};
    HostGrid grid;
    ProbeSocket socket;
    QStringList panel1, panel2, reports;
    bool notificationOn = false;
    std::function<void(std::function<void()>)> finishReport = [](std::function<void()> done) { done(); };
    MonitorPass pass{grid, socket, hooks()};
    QSignalSpy finished{&pass, &MonitorPass::finished};

    explicit Rig(int timeoutMs = 300) { socket.setTimeout(timeoutMs); }
    MonitorPass::Hooks hooks()
    {
        return {[this](int panel, const QString &text) { (panel == 1 ? panel1 : panel2).append(text); },
                [this](const QString &text) { log.LogEvent(text); }, [this] { return notificationOn; },
                [this](const QString &address, std::function<void()> done) {
                    reports.append(address);
                    finishReport(std::move(done));
                }};
    }
    // Rows of address, port and status.
    void setHosts(const QList<QStringList> &hosts)
    {
        for (int i = 0; i < hosts.size(); ++i) {
            if (i > 0)
                grid.addRow(QString());
            grid.setRow(i + 1);
            for (int column = 0; column < 3; ++column) {
                grid.setColumn(column);
                grid.setText(hosts[i].value(column));
            }
        }
    }
    QStringList statuses() const { return columnTexts(grid, 2); }
};

enum Peer { Accepting, HangingUp, SeveralAddresses, Refusing, Unresolvable, Hanging, NotAPort, Blank };
}
Q_DECLARE_METATYPE(Peer)

class TestMonitorPass : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void outcomes_data()
    {
        QTest::addColumn<Peer>("peer");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("waitText");   // shown while the probe is under way
        const QString connecting = QStringLiteral("接続しています..."), resolving = QStringLiteral("名前解決中...");
        QTest::newRow("running") << Accepting << "" << running << connecting;
        QTest::newRow("accepts and hangs up at once") << HangingUp << down << running << connecting;
        QTest::newRow("several addresses, the first refuses") << SeveralAddresses << down << running << resolving;
        QTest::newRow("recovered: no log line") << Accepting << down << running << connecting;
        QTest::newRow("refused") << Refusing << running << down << connecting;
        QTest::newRow("unresolvable") << Unresolvable << "" << down << resolving;
        QTest::newRow("hanging until the timeout") << Hanging << running << down << connecting;
        QTest::newRow("port text not a port") << NotAPort << "" << down << "";
        QTest::newRow("blank row: skipped") << Blank << "" << "" << "";
    }
    void outcomes()
    {
        QFETCH(Peer, peer);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, waitText);
        Rig rig;
        QString address = local;
        if (peer == SeveralAddresses) {
            // The name's first address, 127.0.0.3, refuses; the listener takes the second.
            address = qEnvironmentVariable("SENTROVA_MULTI_ADDRESS_HOST");
            if (address.isEmpty())
                QSKIP("run by tests/app/mounted_faults.sh, which gives a name two addresses");
        }
        LoopbackHosts::Listener listener(peer == HangingUp ? LoopbackHosts::Listener::HangUp : LoopbackHosts::Listener::Keep,
                                         QHostAddress(peer == SeveralAddresses ? "127.0.0.2" : "127.0.0.1"));
        LoopbackHosts::HangingListener hanging;
        QString port = QString::number(listener.port());
        if (peer == Refusing)
            port = QString::number(LoopbackHosts::closedPort());
        else if (peer == Unresolvable)
            address = LoopbackHosts::unresolvableName;
        else if (peer == Hanging)
            port = QString::number(hanging.port());
        else if (peer == NotAPort)
            port = QStringLiteral("http");
        else if (peer == Blank)
            address.clear();
        rig.setHosts({{address, port, before}});

        rig.pass.MonitorHosts();
        QVERIFY(rig.finished.wait(5000));
        QCOMPARE(rig.statuses(), QStringList{after});
        const bool isDown = after == down;
        QCOMPARE(rig.panel2.value(rig.panel2.size() - 1), isDown ? QStringLiteral("サーバダウン") : after);
        if (!waitText.isEmpty())
            QVERIFY2(rig.panel2.contains(waitText), qPrintable(rig.panel2.join(u'|')));
        QCOMPARE(rig.panel1, peer == Blank ? QStringList() : QStringList{address});
        QCOMPARE(rig.folder.logMessages(), isDown ? QStringList{downLine(address)} : QStringList());
        QVERIFY(rig.reports.isEmpty());   // notification is off
        QVERIFY(rig.grid.isEnabled());
        QCOMPARE(rig.socket.state(), 0);
    }

    // Whether the probe sees the connection before the reset depends on
    // timing; either way the probe ends, the row says what was recorded, and
    // the next host is probed as usual.
    void resetAfterAccept()
    {
        Rig rig;
        LoopbackHosts::Listener resetting(LoopbackHosts::Listener::Reset);
        LoopbackHosts::Listener up;
        rig.setHosts({{local, QString::number(resetting.port())}, {local, QString::number(up.port())}});
        rig.pass.MonitorHosts();
        QVERIFY(rig.finished.wait(5000));
        // Known fault: when the reset comes before Qt has seen the connection,
        // QTcpSocket tries connect() again, which opens a new connection, and
        // does so until the probe's timeout (thousands a second).
        if (resetting.accepted() > 1)
            QEXPECT_FAIL("", "QTcpSocket reconnects after a reset until the probe times out", Continue);
        QCOMPARE(resetting.accepted(), 1);
        const QString first = rig.statuses().at(0);
        QVERIFY2(first == running || first == down, qPrintable(first));
        QCOMPARE(rig.folder.logMessages(), first == down ? QStringList{downLine(local)} : QStringList());
        QCOMPARE(rig.statuses().at(1), running);
    }

    // Each down host is reported, and the next host is probed only after
    // its report is over, however often the report says so.
    void downHostsReportedInGridOrder()
    {
        Rig rig;
        rig.notificationOn = true;
        LoopbackHosts::Listener listener;
        const QString closed = QString::number(LoopbackHosts::closedPort());
        rig.setHosts({{local, closed, running}, {local, QString::number(listener.port()), down}, {"localhost", closed}});
        QStringList probedWhenReportOver;
        rig.finishReport = [&](std::function<void()> done) {
            QTimer::singleShot(100, &rig.pass, [&, done] {
                probedWhenReportOver.append(rig.panel1.last());
                done();
                done();
            });
        };

        rig.pass.MonitorHosts();
        QVERIFY(rig.finished.wait(5000));
        QCOMPARE(rig.reports, QStringList({local, "localhost"}));
        QCOMPARE(rig.folder.logMessages(), QStringList({downLine(local), downLine("localhost")}));
        QCOMPARE(rig.statuses(), QStringList({down, running, down}));
        QCOMPARE(rig.panel1, QStringList({local, local, "localhost"}));
        QCOMPARE(listener.accepted(), 1);
        QCOMPARE(probedWhenReportOver, QStringList({local, "localhost"}));
        QVERIFY(!rig.finished.wait(50));
    }

    // Rows removed by the host dialog during a probe: the pass never writes
    // a row that is gone nor the row that moved up into its place, and ends
    // when it passes the last row.
    void rowsRemovedDuringAProbe_data()
    {
        QTest::addColumn<QList<int>>("removed");
        QTest::addColumn<QStringList>("statuses");
        QTest::newRow("rows below the probed one") << QList<int>{3, 2} << QStringList{down};
        QTest::newRow("the probed row") << QList<int>{1} << QStringList{"before", running};
    }
    void rowsRemovedDuringAProbe()
    {
        QFETCH(QList<int>, removed);
        QFETCH(QStringList, statuses);
        Rig rig(200);
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        const QString accepting = QString::number(listener.port());
        rig.setHosts({{local, QString::number(hanging.port())}, {local, accepting, "before"}, {local, accepting, "before"}});
        rig.pass.MonitorHosts();
        QTRY_COMPARE(rig.socket.state(), int(ProbeSocket::Connecting));
        for (int row : removed)
            rig.grid.removeRow(row);
        QVERIFY(rig.finished.wait(3000));
        QCOMPARE(rig.statuses(), statuses);
        QCOMPARE(listener.accepted(), statuses.size() - 1);
        QCOMPARE(rig.folder.logMessages(), QStringList{downLine(local)});
    }

    void reportOverAfterTheEndIsIgnored()
    {
        Rig rig;
        rig.notificationOn = true;
        LoopbackHosts::Listener listener;
        std::function<void()> pending;
        rig.finishReport = [&](std::function<void()> done) { pending = std::move(done); };
        rig.setHosts({{local, QString::number(LoopbackHosts::closedPort())}, {local, QString::number(listener.port())}});
        rig.pass.MonitorHosts();
        QTRY_VERIFY(pending);
        rig.pass.abandon();
        pending();
        QSignalSpy probes(&rig.socket, &ProbeSocket::stateChanged);
        QVERIFY(!probes.wait(50));
        QCOMPARE(listener.accepted(), 0);
        QCOMPARE(rig.finished.count(), 0);
    }
};

QTEST_MAIN(TestMonitorPass)
#include "tst_monitorpass.moc"
