#include "log/EventLog.h"
#include "monitor/LoopbackHosts.h"
#include "monitor/MonitorPass.h"
#include "platform/HostGrid.h"
#include "platform/ProbeSocket.h"
#include "support/TestFolder.h"

#include <QHostInfo>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace
{
const QString running = QStringLiteral("サーバー稼動中");
const QString down = QStringLiteral("サーバーダウン");

QString downLine(const QString &address)
{
    return QStringLiteral("「") + address + QStringLiteral("」はダウンしています。");
}

struct Host
{
    QString address;
    QString port;
    QString status;
};

// A grid, a socket and a pass wired to recorders instead of a window.
struct Rig
{
    TestFolder folder;
    EventLog log{folder.path()};
    HostGrid grid;
    ProbeSocket socket;
    QStringList panel1;
    QStringList panel2;
    bool notificationOn = false;
    QStringList reports;
    std::function<void(std::function<void()>)> finishReport = [](std::function<void()> done) { done(); };
    MonitorPass pass{grid, socket, hooks()};
    QSignalSpy finished{&pass, &MonitorPass::finished};

    MonitorPass::Hooks hooks()
    {
        MonitorPass::Hooks h;
        h.setPanelText = [this](int panel, const QString &text) { (panel == 1 ? panel1 : panel2).append(text); };
        h.logEvent = [this](const QString &text) { log.LogEvent(text); };
        h.notificationOn = [this] { return notificationOn; };
        h.notify = [this](const QString &address, std::function<void()> done) {
            reports.append(address);
            finishReport(std::move(done));
        };
        return h;
    }

    void setHosts(const QList<Host> &hosts)
    {
        for (int i = 0; i < hosts.size(); ++i) {
            if (i > 0)
                grid.addRow(QString());
            grid.setRow(i + 1);
            const QString texts[3] = {hosts[i].address, hosts[i].port, hosts[i].status};
            for (int column = 0; column < 3; ++column) {
                grid.setColumn(column);
                grid.setText(texts[column]);
            }
        }
    }

    QString status(int row) const
    {
        const QTableWidgetItem *item = grid.table()->item(row - 1, 2);
        return item ? item->text() : QString();
    }

    bool runPass(int timeoutMs = 5000)
    {
        pass.MonitorHosts();
        return finished.wait(timeoutMs);
    }
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
        QTest::addColumn<QString>("lastPanel2");
        QTest::addColumn<QString>("waitText");   // shown while the probe is under way
        QTest::addColumn<bool>("logged");
        QTest::newRow("running") << Accepting << "" << running << running << "接続しています..." << false;
        QTest::newRow("accepts and hangs up at once") << HangingUp << down << running << running << "接続しています..." << false;
        QTest::newRow("several addresses, the first refuses") << SeveralAddresses << down << running << running << "名前解決中..." << false;
        QTest::newRow("recovered: no log line") << Accepting << down << running << running << "接続しています..." << false;
        QTest::newRow("refused") << Refusing << running << down << "サーバダウン" << "接続しています..." << true;
        QTest::newRow("unresolvable") << Unresolvable << "" << down << "サーバダウン" << "名前解決中..." << true;
        QTest::newRow("hanging until the timeout") << Hanging << running << down << "サーバダウン" << "接続しています..." << true;
        QTest::newRow("port text not a port") << NotAPort << "" << down << "サーバダウン" << "" << true;
        QTest::newRow("blank row: skipped") << Blank << "" << "" << "" << "" << false;
    }
    void outcomes()
    {
        QFETCH(Peer, peer);
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, lastPanel2);
        QFETCH(QString, waitText);
        QFETCH(bool, logged);
        Rig rig;
        rig.socket.setTimeout(300);
        QString address = LoopbackHosts::address;
        QHostAddress listenAt(QHostAddress::LocalHost);
        if (peer == SeveralAddresses) {
            // Nothing listens on the first address, so it refuses; the
            // listener takes the last one.
            address = qEnvironmentVariable("SENTROVA_MULTI_ADDRESS_HOST", QStringLiteral("localhost"));
            const QList<QHostAddress> found = QHostInfo::fromName(address).addresses();
            if (found.size() < 2 || !std::all_of(found.begin(), found.end(), [](const QHostAddress &a) { return a.isLoopback(); }))
                QSKIP("the name resolves to fewer than two loopback addresses here; tests/app/mounted_faults.sh gives it two");
            listenAt = found.last();
        }
        LoopbackHosts::Listener listener(peer == HangingUp ? LoopbackHosts::Listener::HangUp
                                                            : LoopbackHosts::Listener::Keep, listenAt);
        LoopbackHosts::HangingListener hanging;
        QString port = QString::number(listener.port());
        switch (peer) {
        case Accepting: case HangingUp: case SeveralAddresses: break;
        case Refusing: port = QString::number(LoopbackHosts::closedPort()); break;
        case Unresolvable: address = LoopbackHosts::unresolvableName; break;
        case Hanging: port = QString::number(hanging.port()); break;
        case NotAPort: port = QStringLiteral("http"); break;
        case Blank: address.clear(); port.clear(); break;
        }
        rig.setHosts({{address, port, before}});

        QVERIFY(rig.runPass());
        QCOMPARE(rig.finished.first().at(0).toBool(), false);
        QCOMPARE(rig.status(1), after);
        QCOMPARE(rig.panel2.isEmpty() ? QString() : rig.panel2.last(), lastPanel2);
        if (!waitText.isEmpty())
            QVERIFY2(rig.panel2.contains(waitText), qPrintable(rig.panel2.join(u'|')));
        QCOMPARE(rig.panel1, peer == Blank ? QStringList() : QStringList{address});
        QCOMPARE(rig.folder.logMessages(), logged ? QStringList{downLine(address)} : QStringList());
        // Notification is off: nothing is reported.
        QVERIFY(rig.reports.isEmpty());
        QVERIFY(rig.grid.isEnabled());
        QCOMPARE(rig.socket.state(), 0);
        QCOMPARE(rig.grid.column(), 0);
    }

    // Whether the probe sees the connection before the reset depends on
    // timing; either way the probe ends, the row says what was recorded, and
    // the next host is probed as usual.
    void resetAfterAccept()
    {
        Rig rig;
        rig.socket.setTimeout(300);
        LoopbackHosts::Listener resetting(LoopbackHosts::Listener::Reset);
        LoopbackHosts::Listener up;
        rig.setHosts({{LoopbackHosts::address, QString::number(resetting.port()), QString()},
                      {LoopbackHosts::address, QString::number(up.port()), QString()}});
        QVERIFY(rig.runPass());
        // Known fault: when the reset comes before Qt has seen the connection,
        // QTcpSocket tries connect() again, which opens a new connection, and
        // does so until the probe's timeout (thousands a second).
        if (resetting.accepted() > 1)
            QEXPECT_FAIL("", "QTcpSocket reconnects after a reset until the probe times out", Continue);
        QCOMPARE(resetting.accepted(), 1);
        QVERIFY2(rig.status(1) == running || rig.status(1) == down, qPrintable(rig.status(1)));
        QCOMPARE(rig.folder.logMessages(),
                 rig.status(1) == down ? QStringList{downLine(LoopbackHosts::address)} : QStringList());
        QCOMPARE(rig.status(2), running);
    }

    void downHostsReportedInGridOrder_data()
    {
        QTest::addColumn<QString>("completion");
        QTest::newRow("report over at once") << "at once";
        QTest::newRow("report over later") << "later";
        QTest::newRow("report says it is over twice") << "twice";
    }
    void downHostsReportedInGridOrder()
    {
        QFETCH(QString, completion);
        Rig rig;
        rig.notificationOn = true;
        LoopbackHosts::Listener listener;
        const QString closed = QString::number(LoopbackHosts::closedPort());
        rig.setHosts({{QStringLiteral("127.0.0.1"), closed, running},
                      {QStringLiteral("127.0.0.1"), QString::number(listener.port()), down},
                      {QStringLiteral("localhost"), closed, QString()}});
        QStringList probedWhenReportOver;
        rig.finishReport = [&](std::function<void()> done) {
            if (completion == QLatin1String("later")) {
                QTimer::singleShot(100, &rig.pass, [&, done] {
                    probedWhenReportOver.append(rig.panel1.last());
                    done();
                });
                return;
            }
            done();
            if (completion == QLatin1String("twice"))
                done();
        };

        QVERIFY(rig.runPass());
        QCOMPARE(rig.reports, QStringList({"127.0.0.1", "localhost"}));
        QCOMPARE(rig.folder.logMessages(), QStringList({downLine("127.0.0.1"), downLine("localhost")}));
        QCOMPARE(rig.status(1), down);
        QCOMPARE(rig.status(2), running);
        QCOMPARE(rig.status(3), down);
        QCOMPARE(rig.panel1, QStringList({"127.0.0.1", "127.0.0.1", "localhost"}));
        QCOMPARE(listener.accepted(), 1);
        if (completion == QLatin1String("later")) {
            // The next host waited for the report.
            QCOMPARE(probedWhenReportOver, QStringList({"127.0.0.1", "localhost"}));
        }
        QCOMPARE(rig.finished.count(), 1);
    }

    void rowsRemovedBelowTheProbeEndThePass()
    {
        Rig rig;
        rig.socket.setTimeout(200);
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        const QString accepting = QString::number(listener.port());
        rig.setHosts({{"127.0.0.1", QString::number(hanging.port()), ""},
                      {"127.0.0.1", accepting, ""},
                      {"127.0.0.1", accepting, ""}});
        rig.pass.MonitorHosts();
        QTRY_COMPARE(rig.socket.state(), int(ProbeSocket::Connecting));
        rig.grid.removeRow(3);
        rig.grid.removeRow(2);
        QVERIFY(rig.finished.wait(3000));
        QCOMPARE(rig.grid.rowCount(), 2);
        QCOMPARE(rig.status(1), down);
        QCOMPARE(listener.accepted(), 0);
        QVERIFY(rig.grid.isEnabled());
    }

    void outcomeOfARemovedRowGoesToNoOtherRow()
    {
        Rig rig;
        rig.socket.setTimeout(200);
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        const QString accepting = QString::number(listener.port());
        rig.setHosts({{"127.0.0.1", QString::number(hanging.port()), ""},
                      {"127.0.0.1", accepting, "before"},
                      {"127.0.0.1", accepting, "before"}});
        rig.pass.MonitorHosts();
        QTRY_COMPARE(rig.socket.state(), int(ProbeSocket::Connecting));
        // The probed host goes; the host behind it moves up into its row.
        rig.grid.removeRow(1);
        QVERIFY(rig.finished.wait(3000));
        QCOMPARE(rig.status(1), QStringLiteral("before"));
        QCOMPARE(rig.status(2), running);
        QCOMPARE(rig.folder.logMessages(), QStringList{downLine("127.0.0.1")});
    }

    void reportOverAfterTheEndIsIgnored()
    {
        Rig rig;
        rig.notificationOn = true;
        LoopbackHosts::Listener listener;
        std::function<void()> pending;
        rig.finishReport = [&](std::function<void()> done) { pending = std::move(done); };
        rig.setHosts({{"127.0.0.1", QString::number(LoopbackHosts::closedPort()), ""},
                      {"127.0.0.1", QString::number(listener.port()), ""}});
        rig.pass.MonitorHosts();
        QTRY_VERIFY(pending);
        rig.pass.abandon();
        QVERIFY(!rig.pass.isRunning());
        pending();
        QSignalSpy probes(&rig.socket, &ProbeSocket::stateChanged);
        QVERIFY(!probes.wait(50));
        QCOMPARE(listener.accepted(), 0);
        QCOMPARE(rig.finished.count(), 0);
    }
};

QTEST_MAIN(TestMonitorPass)
#include "tst_monitorpass.moc"
