#include "app/frmMain.h"
#include "monitor/LoopbackHosts.h"
#include "platform/Clock.h"
#include "platform/HostGrid.h"
#include "platform/ProbeSocket.h"
#include "platform/SettingsStore.h"
#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

namespace
{
const QString running = QStringLiteral("サーバー稼動中");
const QString down = QStringLiteral("サーバーダウン");
const QString started = QStringLiteral("サーバーの監視を開始しました。");
const QString stopped = QStringLiteral("サーバーの監視を停止しました。");
const QString lastPass = QStringLiteral("前回監視時間: ");

QString downLine(const QString &address)
{
    return QStringLiteral("「") + address + QStringLiteral("」はダウンしています。");
}

// The main window over a host list of loopback ports, with the interval box
// set as the operator would type it.
struct Window
{
    TestFolder folder;
    std::unique_ptr<frmMain> window;

    explicit Window(const QList<quint16> &ports, const QString &interval)
    {
        QByteArray list;
        for (quint16 port : ports)
            list += "\"127.0.0.1\",\"" + QByteArray::number(port) + "\"\r\n";
        folder.writeBytes(QStringLiteral("Sentrova.ini"), list);
        Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(7, 5, 0)));
        window = std::make_unique<frmMain>(folder.path());
        text1()->setText(interval);
    }
    ~Window() { Clock::setFixedTime(QDateTime()); }

    template<typename T>
    T *child(const char *name) const { return window->findChild<T *>(QString::fromLatin1(name)); }
    QPushButton *cmdMonitor() const { return child<QPushButton>("cmdMonitor"); }
    QLineEdit *text1() const { return child<QLineEdit>("Text1"); }
    QLabel *label2() const { return child<QLabel>("Label2"); }
    QProgressBar *progress() const { return child<QProgressBar>("ProgressBar1"); }
    QTimer *timer1() const { return child<QTimer>("Timer1"); }
    QTimer *timer2() const { return child<QTimer>("Timer2"); }
    ProbeSocket *socket() const { return child<ProbeSocket>("sckMonitor"); }
    QString panel(int n) const { return window->statusPanel(n)->text(); }
    QString status(int row) const
    {
        const QTableWidgetItem *item = window->hostGrid()->table()->item(row - 1, 2);
        return item ? item->text() : QString();
    }
    void setStatus(int row, const QString &text) const
    {
        HostGrid *grid = window->hostGrid();
        grid->setRow(row);
        grid->setColumn(2);
        grid->setText(text);
        grid->setColumn(0);
    }
    QStringList logTail(int n) const
    {
        const QStringList log = folder.logMessages();
        return log.mid(qMax(0, int(log.size()) - n));
    }
};
}

class TestMonitorSchedule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startPassAtOnceThenEveryIntervalThenStop()
    {
        LoopbackHosts::Listener listener;
        Window w({listener.port(), LoopbackHosts::closedPort()}, QStringLiteral("1"));
        QElapsedTimer clock;
        clock.start();
        w.cmdMonitor()->click();
        QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("停止"));
        QCOMPARE(w.panel(1), QStringLiteral("監視中..."));
        QCOMPARE(w.panel(2), QString());
        QVERIFY(w.timer1()->isActive());
        QCOMPARE(w.timer1()->interval(), 1000);
        QCOMPARE(w.progress()->maximum(), 50);
        QCOMPARE(w.folder.logMessages().last(), started);

        // The first pass, and no wait after it.
        QTRY_COMPARE(w.label2()->text(), lastPass + QStringLiteral("2026/12/06 7:05:00"));
        QCOMPARE(w.status(1), running);
        QCOMPARE(w.status(2), down);
        QCOMPARE(w.logTail(2), QStringList({started, downLine("127.0.0.1")}));
        QVERIFY(!w.timer2()->isActive());
        QCOMPARE(w.progress()->value(), 0);
        QVERIFY(w.window->hostGrid()->isEnabled());

        // The timed pass one interval later, then the wait fills the bar.
        QTRY_COMPARE_WITH_TIMEOUT(listener.accepted(), 2, 3000);
        QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY(w.timer2()->isActive());
        QCOMPARE(w.timer2()->interval(), 20);
        QTRY_VERIFY_WITH_TIMEOUT(w.progress()->value() >= 25, 2000);
        QCOMPARE(w.logTail(2), QStringList({downLine("127.0.0.1"), downLine("127.0.0.1")}));

        w.cmdMonitor()->click();
        QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("開始"));
        QCOMPARE(w.panel(1), QStringLiteral("Sentrova v1.0"));
        QCOMPARE(w.panel(2), stopped);
        QCOMPARE(w.folder.logMessages().last(), stopped);
        QCOMPARE(w.label2()->text(), lastPass);
        QCOMPARE(w.progress()->value(), 0);
        QVERIFY(!w.timer1()->isActive());
        QVERIFY(!w.timer2()->isActive());
        const int accepted = listener.accepted();
        QSignalSpy probes(w.socket(), &ProbeSocket::stateChanged);
        QVERIFY(!probes.wait(1200));
        QCOMPARE(listener.accepted(), accepted);
        QCOMPARE(w.progress()->value(), 0);
    }

    void intervalAtStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");   // 0: the start is refused
        QTest::newRow("empty box") << "" << 20;
        QTest::newRow("fraction") << "15.6" << 16;
        QTest::newRow("half to even") << "2.5" << 2;
        QTest::newRow("longest") << "65" << 65;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("too long") << "66" << 0;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("not a number") << "abc" << 0;
    }
    void intervalAtStart()
    {
        QFETCH(QString, text);
        QFETCH(int, seconds);
        Window w({}, text);
        w.cmdMonitor()->click();
        if (seconds > 0) {
            QCOMPARE(w.timer1()->interval(), seconds * 1000);
            QCOMPARE(w.progress()->maximum(), seconds * 50);
            QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("停止"));
            QVERIFY(w.folder.takeMessageBoxes().isEmpty());
            w.cmdMonitor()->click();
            return;
        }
        QCOMPARE(w.folder.takeMessageBoxes(), QStringList{"監視間隔は1から65までの秒数を入力してください。"});
        QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("開始"));
        QVERIFY(!w.timer1()->isActive());
        QVERIFY(!w.folder.logMessages().contains(started));
        QCOMPARE(w.progress()->maximum(), 750);
    }

    void intervalEditsWhileMonitoring()
    {
        Window w({}, QStringLiteral("1"));
        w.cmdMonitor()->click();
        QTest::keyClicks(w.text1(), QStringLiteral("0"));
        QCOMPARE(SettingsStore::read("Interval", "Sec", QString()), QStringLiteral("10"));
        QCOMPARE(w.timer1()->interval(), 1000);
        // A stop works whatever the box holds.
        w.text1()->setText(QStringLiteral("abc"));
        w.cmdMonitor()->click();
        QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("開始"));
        QVERIFY(w.folder.takeMessageBoxes().isEmpty());
        QVERIFY(!w.timer1()->isActive());
    }

    void stopDuringTheThirdOfFiveProbes()
    {
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        const quint16 up = listener.port();
        Window w({up, up, hanging.port(), up, up}, QStringLiteral("60"));
        w.socket()->setTimeout(600);
        w.setStatus(4, down);
        w.setStatus(5, down);
        w.cmdMonitor()->click();
        QTRY_COMPARE(w.status(2), running);
        QCOMPARE(w.socket()->state(), int(ProbeSocket::Connecting));
        w.cmdMonitor()->click();
        QVERIFY(w.window->hostGrid()->isEnabled());
        QCOMPARE(w.label2()->text(), lastPass);

        // The third probe is completed and recorded; then the pass ends.
        QTRY_COMPARE(w.status(3), down);
        QTRY_COMPARE(w.label2()->text(), lastPass + QStringLiteral("2026/12/06 7:05:00"));
        QSignalSpy probes(w.socket(), &ProbeSocket::stateChanged);
        QVERIFY(!probes.wait(50));
        QCOMPARE(w.status(4), down);
        QCOMPARE(w.status(5), down);
        QCOMPARE(listener.accepted(), 2);
        QCOMPARE(w.logTail(3), QStringList({started, stopped, downLine("127.0.0.1")}));
        QVERIFY(w.window->hostGrid()->isEnabled());
        QVERIFY(!w.timer2()->isActive());
        QCOMPARE(w.progress()->value(), 0);
    }

    void ticksDuringAPassWaitForIt()
    {
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        Window w({hanging.port(), listener.port()}, QStringLiteral("1"));
        w.socket()->setTimeout(2300);
        QElapsedTimer clock;
        clock.start();
        w.cmdMonitor()->click();
        QTRY_COMPARE(w.socket()->state(), int(ProbeSocket::Connecting));
        // Only the probe under way keeps the long timeout.
        w.socket()->setTimeout(100);

        // Two ticks fall into the first pass; neither runs inside it, and
        // together they make one more pass, right after it.
        QTRY_COMPARE_WITH_TIMEOUT(listener.accepted(), 1, 5000);
        QVERIFY2(clock.elapsed() >= 2200, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(listener.accepted(), 2, 1000);
        QVERIFY(clock.elapsed() < 2900);
        QSignalSpy probes(w.socket(), &ProbeSocket::stateChanged);
        probes.wait(250);
        if (clock.elapsed() < 2950)
            QCOMPARE(listener.accepted(), 2);
        w.cmdMonitor()->click();
    }

    void closingDuringAProbeAbandonsIt()
    {
        LoopbackHosts::HangingListener hanging;
        Window w({hanging.port()}, QStringLiteral("1"));
        w.socket()->setTimeout(300);
        w.window->show();
        w.cmdMonitor()->click();
        QTRY_COMPARE(w.socket()->state(), int(ProbeSocket::Connecting));
        w.window->close();
        QCOMPARE(w.socket()->state(), 0);
        const QStringList log = w.folder.logMessages();
        QCOMPARE(log.last(), QStringLiteral("Sentrovaが終了しました。"));
        QSignalSpy probes(w.socket(), &ProbeSocket::stateChanged);
        QVERIFY(!probes.wait(1200));
        QCOMPARE(w.folder.logMessages(), log);
        QCOMPARE(w.label2()->text(), QStringLiteral("前回監視時間"));
    }
};

QTEST_MAIN(TestMonitorSchedule)
#include "tst_monitorschedule.moc"
