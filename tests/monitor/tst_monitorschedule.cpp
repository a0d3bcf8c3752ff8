#include "app/frmMain.h"
#include "platform/Clock.h"
#include "platform/HostGrid.h"
#include "platform/ProbeSocket.h"
#include "support/GridTexts.h"
#include "support/LoopbackHosts.h"
#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace
{
const QString started = QStringLiteral("サーバーの監視を開始しました。");
const QString stopped = QStringLiteral("サーバーの監視を停止しました。");
const QString lastPass = QStringLiteral("前回監視時間: ");
const QString passTime = lastPass + QStringLiteral("2026/12/06 7:05:00");
const QString running = QStringLiteral("サーバー稼動中");
const QString down = QStringLiteral("サーバーダウン");
const QString downLine = QStringLiteral("「127.0.0.1」はダウンしています。");

// The main window over a host list of loopback ports, with the interval box
// set as the operator would type it.
struct Window
{
    TestFolder folder;
    std::unique_ptr<frmMain> window;

    Window(const QList<quint16> &ports, const QString &interval, int probeTimeoutMs = 10000)
    {
        QByteArray list;
        for (quint16 port : ports)
            list += "\"127.0.0.1\",\"" + QByteArray::number(port) + "\"\r\n";
        folder.writeBytes(QStringLiteral("Sentrova.ini"), list);
        Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(7, 5, 0)));
        window = std::make_unique<frmMain>(folder.path());
        window->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(interval);
        socket()->setTimeout(probeTimeoutMs);
    }
    ~Window() { Clock::setFixedTime(QDateTime()); }

    template<typename T>
    T *child(const char *name) const { return window->findChild<T *>(QString::fromLatin1(name)); }
    QPushButton *cmdMonitor() const { return child<QPushButton>("cmdMonitor"); }
    QString label2() const { return child<QLabel>("Label2")->text(); }
    QProgressBar *progress() const { return child<QProgressBar>("ProgressBar1"); }
    QTimer *timer1() const { return child<QTimer>("Timer1"); }
    QTimer *timer2() const { return child<QTimer>("Timer2"); }
    ProbeSocket *socket() const { return child<ProbeSocket>("sckMonitor"); }
    QStringList statuses() const { return columnTexts(*window->hostGrid(), 2); }
    QStringList logTail(int n) const { return folder.logMessages().mid(folder.logMessages().size() - n); }
    // No probe starts within the time given.
    bool staysIdle(int ms) const { return !QSignalSpy(socket(), &ProbeSocket::stateChanged).wait(ms); }
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
        QCOMPARE(w.window->statusPanel(1)->text(), QStringLiteral("監視中..."));

        // The first pass at once, logged after the start, and no wait after it.
        QTRY_COMPARE(w.label2(), passTime);
        QCOMPARE(w.logTail(2), QStringList({started, downLine}));
        QCOMPARE(w.statuses(), QStringList({running, down}));
        QVERIFY(!w.timer2()->isActive());

        // The timed pass one interval later, then the wait fills the bar.
        QTRY_COMPARE_WITH_TIMEOUT(listener.accepted(), 2, 3000);
        QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(w.progress()->value() >= 25, 2000);

        // A stop ends the wait.
        w.cmdMonitor()->click();
        QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("開始"));
        QCOMPARE(w.window->statusPanel(1)->text(), QStringLiteral("Sentrova v1.0"));
        QCOMPARE(w.window->statusPanel(2)->text(), stopped);
        QCOMPARE(w.logTail(1), QStringList{stopped});
        QCOMPARE(w.label2(), lastPass);
        QVERIFY(!w.timer1()->isActive() && !w.timer2()->isActive());
        QVERIFY(w.staysIdle(1200));
        QCOMPARE(w.progress()->value(), 0);
    }

    void intervalAtStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");   // 0: the start is refused
        QTest::newRow("empty box") << "" << 20;
        QTest::newRow("fraction") << "15.6" << 16;
        QTest::newRow("too long") << "66" << 0;
        QTest::newRow("not a number") << "abc" << 0;
    }
    void intervalAtStart()
    {
        QFETCH(QString, text);
        QFETCH(int, seconds);
        Window w({}, text);
        w.cmdMonitor()->click();
        QCOMPARE(w.timer1()->isActive(), seconds > 0);
        if (seconds > 0) {
            QCOMPARE(w.timer1()->interval(), seconds * 1000);
            QCOMPARE(w.progress()->maximum(), seconds * 50);
            // A stop works whatever the box holds by then.
            w.window->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("abc"));
            w.cmdMonitor()->click();
            QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("開始"));
            QVERIFY(w.folder.takeMessageBoxes().isEmpty());
            return;
        }
        QCOMPARE(w.folder.takeMessageBoxes(), QStringList{"監視間隔は1から65までの秒数を入力してください。"});
        QCOMPARE(w.cmdMonitor()->text(), QStringLiteral("開始"));
        QVERIFY(!w.folder.logMessages().contains(started));
    }

    void stopDuringTheThirdOfFiveProbes()
    {
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        const quint16 up = listener.port();
        Window w({up, up, hanging.port(), up, up}, QStringLiteral("60"), 600);
        w.cmdMonitor()->click();
        QTRY_COMPARE(w.socket()->state(), int(ProbeSocket::Connecting));
        w.cmdMonitor()->click();
        QVERIFY(w.window->hostGrid()->isEnabled());

        // The third probe is completed and recorded; then the pass ends.
        QTRY_COMPARE(w.label2(), passTime);
        QVERIFY(w.staysIdle(50));
        QCOMPARE(w.statuses(), QStringList({running, running, down, "", ""}));
        QCOMPARE(listener.accepted(), 2);
        QCOMPARE(w.logTail(3), QStringList({started, stopped, downLine}));
        QVERIFY(!w.timer2()->isActive());
        QCOMPARE(w.progress()->value(), 0);
    }

    void ticksDuringAPassWaitForIt()
    {
        LoopbackHosts::Listener listener;
        LoopbackHosts::HangingListener hanging;
        Window w({hanging.port(), listener.port()}, QStringLiteral("1"), 2300);
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
        w.staysIdle(250);
        if (clock.elapsed() < 2950)
            QCOMPARE(listener.accepted(), 2);
    }

    void closingDuringAProbeAbandonsIt()
    {
        LoopbackHosts::HangingListener hanging;
        Window w({hanging.port()}, QStringLiteral("1"), 300);
        w.window->show();
        w.cmdMonitor()->click();
        QTRY_COMPARE(w.socket()->state(), int(ProbeSocket::Connecting));
        w.window->close();
        const QStringList log = w.folder.logMessages();
        QCOMPARE(log.last(), QStringLiteral("Sentrovaが終了しました。"));
        QVERIFY(w.staysIdle(1200));
        QCOMPARE(w.folder.logMessages(), log);
        QCOMPARE(w.label2(), QStringLiteral("前回監視時間"));
    }
};

QTEST_MAIN(TestMonitorSchedule)
#include "tst_monitorschedule.moc"
