#include "DataRows.h"
#include "FakeSmtpServer.h"
#include "Loopback.h"
#include "TestFolder.h"

#include "core/Program.h"
#include "core/base/Clock.h"
#include "core/base/SettingsStore.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using State = MonitorSchedule::State;

namespace
{
const QString running = QStringLiteral("サーバー稼動中"), down = QStringLiteral("サーバーダウン");
const QString started = QStringLiteral("サーバーの監視を開始しました。"), stopped = QStringLiteral("サーバーの監視を停止しました。");
const QString downLine = QStringLiteral("「127.0.0.1」はダウンしています。");

// A started program over a list of "address|port|status" rows, what it shows recorded.
struct Rig
{
    TestFolder folder;
    Program program{folder.path()};
    QAbstractItemModelTester hostsTester{&program.hosts()};   // every change told to views as a model must
    MonitorPass &pass = program.pass();
    MonitorSchedule &schedule = program.schedule();
    QStringList hostTexts, progressTexts, lastPass;
    QList<int> waitMaximum, waitValues;
    QSignalSpy finished{&pass, &MonitorPass::finished};

    explicit Rig(const QStringList &rows, int probeTimeoutMs = 300)
    {
        QByteArray file;
        for (const QString &row : rows)
            file += cp932('"' + row.section(u'|', 0, 0) + "\",\"" + row.section(u'|', 1, 1) + "\"\r\n");
        folder.writeBytes("Sentrova.ini", file);
        program.startUp();
        for (int i = 0; i < rows.size(); ++i)
            program.hosts().setStatus(i, rows.at(i).section(u'|', 2));
        pass.setProbeTimeout(probeTimeoutMs);
        QObject::connect(&schedule, &MonitorSchedule::hostTextChanged, [this](const QString &t) { hostTexts.append(t); });
        QObject::connect(&schedule, &MonitorSchedule::progressTextChanged, [this](const QString &t) { progressTexts.append(t); });
        QObject::connect(&schedule, &MonitorSchedule::lastPassChanged, [this](const QString &t) { lastPass.append(t); });
        QObject::connect(&schedule, &MonitorSchedule::waitProgressChanged,
                         [this](int value, int max) { waitValues.append(value), waitMaximum.append(max); });
    }
    std::optional<FakeSmtpServer> server;
    FakeSmtpServer &reportTo()   // notification on, to a fake server
    {
        server.emplace();
        folder.writeBytes("MailConfig.ini", "\"127.0.0.1\",\"s@x\",\"r@x\",\"\",\"\",\"\",\"\"\r\n");
        program.mail().load();
        SettingsStore::setText(Setting::SmtpPort, QString::number(server->port()));
        return *server;
    }
    QStringList statuses()
    {
        QStringList texts;
        std::ranges::transform(program.hosts().hosts(), std::back_inserter(texts), &Host::status);
        return texts;
    }
};
}

class TestMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(7, 5, 0))); }

    // One host, down before, and what a pass makes of it, notification off.
    void outcomes_data()
    {
        columns<QString, QString, QStringList>("peer", "after", "shown");   // shown: the status bar's texts in turn
        const QStringList connecting{"名前解決中...", "名前解決完了", "接続しています..."}, resolving{"名前解決中..."};
        const QString downText = QStringLiteral("サーバダウン");
        QTest::newRow("running again, not logged") << "accepting" << running << connecting + QStringList{running};
        QTest::newRow("accepts and hangs up at once") << "hanging up" << running << connecting + QStringList{running};
        QTest::newRow("accepts and resets at once") << "resetting" << running << connecting + QStringList{running};
        QTest::newRow("several addresses, the first refuses") << "several" << running << connecting + QStringList{running};
        QTest::newRow("the highest port") << "highest" << running << connecting + QStringList{running};
        QTest::newRow("refused") << "refusing" << down << connecting + QStringList{downText};
        QTest::newRow("IPv6, accepting") << "accepting6" << running << connecting + QStringList{running};
        QTest::newRow("IPv6, refused") << "refusing6" << down << connecting + QStringList{downText};
        QTest::newRow("unresolvable") << "unresolvable" << down << resolving + QStringList{downText};
        QTest::newRow("no route to its network") << "unreachable" << down << connecting.mid(0, 2) + QStringList{downText};
        QTest::newRow("silent until the timeout") << "silent" << down << connecting + QStringList{downText};
        QTest::newRow("port text not a port") << "http" << down << QStringList{downText};
        QTest::newRow("blank row skipped") << "blank" << "" << QStringList{};
    }
    void outcomes()
    {
        auto [peer, after, shown] = fetch<QString, QString, QStringList>("peer", "after", "shown");
        const bool v6 = peer.endsWith(u'6');
        peer.remove(u'6');
        // In the network of mounted_faults.sh only loopback is up, so 192.0.2.1 is unreachable through no fault of this machine, port
        // 65535 is free, and a name has two addresses: the first, 127.0.0.3, refuses; the listener takes the second.
        const QMap<QString, QString> addresses{
            {"unresolvable", "sentrova-probe.invalid"}, {"several", qEnvironmentVariable("SENTROVA_MULTI_ADDRESS_HOST")}, {"unreachable", "192.0.2.1"}};
        const QString address = v6 ? QStringLiteral("::1") : addresses.value(peer, QStringLiteral("127.0.0.1"));
        if ((peer == "several" || peer == "highest" || peer == "unreachable") && !qEnvironmentVariableIsSet("SENTROVA_PRIVATE_NETWORK"))
            QSKIP("run by tests/e2e/mounted_faults.sh in a network of its own");
        const bool hangsUp = peer == "hanging up" || peer == "resetting";
        Loopback::Listener listener(peer == "hanging up", QHostAddress(v6 ? "::1" : peer == "several" ? "127.0.0.2" : "127.0.0.1"),
                                    peer == "resetting", peer == "highest" ? 65535 : 0);
        Loopback::HangingListener silent;
        // A port as an input method types it, its digits full width, then a service name: the number it begins with.
        const auto typed = [](QString port) { for (QChar &c : port) c = QChar(c.unicode() - u'0' + 0xFF10); return u' ' + port + "/smtp"; };
        const QMap<QString, QString> ports{{"refusing", Loopback::closedPort()}, {"silent", silent.port()}, {"http", "http"}, {"accepting", typed(listener.port())}};
        Rig rig({peer == "blank" ? QString() : address + u'|' + ports.value(peer, listener.port()) + u'|' + down});
        const auto descriptors = [] { return QDir("/proc/self/fd").count(); };
        const uint open = descriptors();
        // As when started without standard input, the probe's socket may be descriptor 0; it is given back before this process's own sockets need one.
        int input = ::dup(0);
        ::close(0);
        bool zeroKept = false;   // a socket the probe left open on descriptor 0
        const auto giveBack = [&input, &zeroKept] {
            if (input < 0)
                return;
            zeroKept = ::fcntl(0, F_GETFD) != -1;
            ::dup2(input, 0);
            ::close(std::exchange(input, -1));
        };
        rig.pass.start();   // its probes, made now, start from the event loop
        ProbeSocket *probe = rig.pass.findChild<ProbeSocket *>();
        QObject::connect(probe, &ProbeSocket::stateChanged, [&](ProbeSocket::State state) {
            if (peer == "resetting" && state == ProbeSocket::State::Connecting)   // the SYN is out: the reset comes before the connect is looked at
                listener.waitForAccept();
            else if (state == ProbeSocket::State::Connected || state == ProbeSocket::State::Error)
                giveBack();
        });
        QVERIFY(rig.finished.wait(5000));
        giveBack();
        // The probe's sockets are closed; the listener keeps what it accepted open.
        if (peer != "unresolvable" && peer != "several") {   // a name lookup opens descriptors of its own
            QVERIFY(!zeroKept);
            QCOMPARE(descriptors(), open + (hangsUp ? 0 : listener.accepted()));
        }
        QTRY_VERIFY(rig.pass.findChildren<QSocketNotifier *>().isEmpty());   // nor a notifier
        QCOMPARE(rig.statuses(), QStringList{after});
        rig.progressTexts.erase(std::unique(rig.progressTexts.begin(), rig.progressTexts.end()), rig.progressTexts.end());
        QCOMPARE(rig.progressTexts, shown);
        QCOMPARE(rig.hostTexts, peer == "blank" ? QStringList() : QStringList{address});
        QCOMPARE(rig.folder.logMessages(), QStringList({"Sentrovaを起動しました...", "Sentrova環境設定ファイルをロードしました。",
                                                        "メール送信用環境設定の読み取りに失敗しました。", "Sentrova起動完了"})
                                               + QStringList(after == down ? 1 : 0, "「" + address + "」はダウンしています。"));
        QCOMPARE(rig.program.hosts().cursor(), peer == "blank" ? -1 : 0);
        // A host that answers gets one connection, never a reconnect.
        QTRY_COMPARE(listener.accepted(), int(after == running));
    }

    // A first address that drops SYNs does not hold up the second: that starts 250 ms later, beside it, and its handshake wins
    // long before the probe's 10 s are over. One with no route gives way to the next at once. A name's answer that comes after
    // its attempt was closed (known from before, it was on its way at once) is not taken for the next attempt's name.
    void addressesInTurn()
    {
        Loopback::HangingListener silent;
        Loopback::Listener listener(false, QHostAddress("127.0.0.2"), false, silent.port().toUShort()), up;
        ProbeSocket probe;
        probe.connectTo({QHostAddress("127.0.0.1"), QHostAddress("127.0.0.2")}, silent.port().toInt());
        QTRY_COMPARE_WITH_TIMEOUT(probe.state(), ProbeSocket::State::Connected, 15000);
        QCOMPARE(listener.accepted(), 1);
        if (qEnvironmentVariableIsSet("SENTROVA_PRIVATE_NETWORK")) {   // where only loopback is up, and names are asked in vain
            probe.connectTo({QHostAddress("192.0.2.1"), QHostAddress("127.0.0.2")}, silent.port().toInt());
            QTRY_COMPARE(probe.state(), ProbeSocket::State::Connected);
            return;
        }
        QHostInfo::fromName("localhost");
        probe.setTimeout(300);
        probe.connectTo("localhost", up.port().toInt());
        probe.connectTo("sentrova-probe.invalid", up.port().toInt());
        QTRY_COMPARE(probe.state(), ProbeSocket::State::Error);
        QCOMPARE(up.accepted(), 0);
    }

    // When this machine cannot make the attempts (no descriptor left), the hosts keep their status, nothing is mailed, and one line of the pass says why.
    void localFailure()
    {
        const QString closed = "127.0.0.1|" + Loopback::closedPort() + '|' + running;
        Rig rig({closed, closed});
        const FakeSmtpServer &server = rig.reportTo();
        SettingsStore::setText(Setting::ParallelProbes, "2");   // so that the next pass has the same probes
        rig.pass.start();
        rlimit saved;
        ::getrlimit(RLIMIT_NOFILE, &saved);
        const rlimit limit{QDir("/proc/self/fd").count() + 16, saved.rlim_max};
        QList<int> fillers;   // every descriptor is taken until the second probe has failed
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &limit) == 0);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
            fillers.append(fd);
        connect(rig.pass.findChildren<ProbeSocket *>().at(1), &ProbeSocket::stateChanged, this, [&](ProbeSocket::State state) {
            if (state != ProbeSocket::State::Error)
                return;
            for (int fd : std::exchange(fillers, {}))
                ::close(fd);
            ::setrlimit(RLIMIT_NOFILE, &saved);
        });
        QVERIFY(rig.finished.wait(5000));
        QCOMPARE(rig.statuses(), QStringList({running, running}));
        QCOMPARE(rig.folder.logTail(2), QStringList({"メール送信用環境設定をロードしました。", "このコンピューターから接続を試みられないため、ホストの状態を変えていません (Too many open files)。"}));
        QCOMPARE(server.sessions.size(), 0);
        rig.pass.start();   // with descriptors to spare, the next pass finds both down
        QVERIFY(rig.finished.wait(5000));
        QCOMPARE(rig.statuses(), QStringList({down, down}));
    }

    // While notification is on each down host is reported, in list order, and the next outcome is recorded only after the report is over. Probes run
    // ahead (slow first hosts, faster ones after them), no more than N at once.
    void downHostsReportedInOrder_data()
    {
        columns<QString, int>("parallel", "answeredAhead");   // hosts that answered before the first was recorded
        QTest::newRow("64 at once, the default") << QString() << 1;
        QTest::newRow("two at once, both waiting on a silent host") << "2" << 0;
        QTest::newRow("one at a time") << "1" << 0;
    }
    void downHostsReportedInOrder()
    {
        auto [parallel, answeredAhead] = fetch<QString, int>("parallel", "answeredAhead");
        Loopback::Listener listener;
        Loopback::HangingListener silent;
        const QString slow = "127.0.0.1|" + silent.port();
        Rig rig({slow, slow, "127.0.0.1|" + listener.port() + '|' + down, "localhost|" + Loopback::closedPort()}, 500);   // no mail as the third comes back
        if (!parallel.isEmpty())
            SettingsStore::setText(Setting::ParallelProbes, parallel);
        rig.reportTo();
        int ahead = -1;
        connect(&rig.pass, &MonitorPass::progressTextChanged, this, [&](const QString &text) {
            if (ahead < 0 && text == "サーバダウン")
                ahead = listener.accepted();
        });
        rig.pass.start();
        QVERIFY(rig.finished.wait(5000));
        QCOMPARE(ahead, answeredAhead);
        const QStringList reported{downLine, "127.0.0.1サーバー障害の報告を行いました。 "};
        QCOMPARE(rig.folder.logTail(6), reported + reported + QStringList({"「localhost」はダウンしています。", "localhostサーバー障害の報告を行いました。 "}));
        QCOMPARE(rig.statuses(), QStringList({down, down, running, down}));
    }

    // After each pass the desktop is told what changed (one notice, five hosts named) and how the list stands. With
    // reports on change only, a host is mailed when found down (a host not yet probed counts as up) or back, not while it stays so.
    void desktopSummary_data()
    {
        columns<QStringList, QString, QString, int>("rows", "notice", "counts", "mailed");   // rows: "up" or "closed" | the status before
        const QString five = "127.0.0.1、127.0.0.1、127.0.0.1、127.0.0.1、127.0.0.1";
        QTest::newRow("found down") << QStringList{"closed|", "up|"} << "ダウン: 127.0.0.1" << "稼動中 1台、ダウン 1台" << 1;
        QTest::newRow("unchanged") << QStringList{"closed|" + down, "up|" + running} << "" << "稼動中 1台、ダウン 1台" << 0;
        QTest::newRow("back") << QStringList{"up|" + down} << "回復: 127.0.0.1" << "稼動中 1台、ダウン 0台" << 1;
        QTest::newRow("five down, all named") << QStringList(5, "closed|" + running) << "ダウン: " + five << "稼動中 0台、ダウン 5台" << 5;
        QTest::newRow("seven down, two back") << QStringList(7, "closed|" + running) + QStringList(2, "up|" + down)
            << "ダウン: " + five + " ほか2台\n回復: 127.0.0.1、127.0.0.1" << "稼動中 2台、ダウン 7台" << 9;
    }
    void desktopSummary()
    {
        auto [rows, notice, counts, mailed] = fetch<QStringList, QString, QString, int>("rows", "notice", "counts", "mailed");
        Loopback::Listener listener;
        const QString closed = Loopback::closedPort();
        for (QString &row : rows)
            row = "127.0.0.1|" + (row.startsWith("up") ? listener.port() : closed) + '|' + row.section(u'|', 1);
        Rig rig(rows);
        const FakeSmtpServer &server = rig.reportTo();
        SettingsStore::setOn(Setting::ReportOnChange, true);
        HostHealth &health = rig.program.health();
        QSignalSpy notices(&health, &HostHealth::notice);
        QCOMPARE(health.toolTip(), "サーバー監視ユーティリティ (停止中)");
        rig.program.toggleMonitoring("60");
        QCOMPARE(health.toolTip(), "サーバー監視ユーティリティ (監視中)");
        QCOMPARE(health.level(), HostHealth::Level::Stopped);
        QVERIFY(rig.finished.wait(5000));
        QCOMPARE(health.level(), counts.endsWith(" 0台") ? HostHealth::Level::Running : HostHealth::Level::Down);
        QCOMPARE(health.toolTip(), "サーバー監視ユーティリティ\n" + counts);
        QCOMPARE(notices, (notice.isEmpty() ? QList<QVariantList>{} : QList<QVariantList>{{"ホストの状態が変わりました", notice}}));
        QCOMPARE(server.sessions.size(), mailed);
        if (notice.contains("回復")) {   // the last host came back
            QCOMPARE(rig.folder.logTail(1), QStringList{"「127.0.0.1」の回復を報告しました。 "});
            const QByteArray message = server.sessions.last().message;
            QCOMPARE(fromCp932(QByteArray::fromBase64(message.mid(message.indexOf("\r\n\r\n") + 4).chopped(3))),
                     "2026/12/06 7:05:00 時点で\r\n「127.0.0.1」の応答が回復しました。\r\n");
        }
        // A pass that ends after a stop leaves the stopped state shown; nothing changed, nothing is mailed.
        rig.program.toggleMonitoring("60");
        rig.pass.start();
        QVERIFY(rig.finished.wait(5000));
        QCOMPARE(health.level(), HostHealth::Level::Stopped);
        QCOMPARE(notices.size(), notice.isEmpty() ? 0 : 1);
        QCOMPARE(server.sessions.size(), mailed);
        rig.program.toggleMonitoring("60");   // started again: no counts until its first pass has ended
        QCOMPARE(health.toolTip(), "サーバー監視ユーティリティ (監視中)");
    }

    void startPassAtOnceThenEveryIntervalThenStop()
    {
        Loopback::Listener listener;
        Rig rig({"127.0.0.1|" + listener.port(), "127.0.0.1|" + Loopback::closedPort()});
        QSignalSpy pages(&rig.schedule, &MonitorSchedule::passFinished);
        SettingsStore::setText(Setting::PageFolder, rig.folder.path());   // settings stored since start-up take effect at the start
        SettingsStore::setText(Setting::PageName, "status.htm");
        SettingsStore::setOn(Setting::PageEnabled, true);
        rig.program.toggleMonitoring("1");
        QCOMPARE(rig.schedule.state(), State::Passing);
        QCOMPARE(rig.progressTexts, QStringList{""});   // the start clears the last pass's text
        // The first pass at once, logged after the start, and no wait after it.
        QVERIFY(pages.wait(2000));
        QCOMPARE(rig.lastPass, QStringList{"前回監視時間: 2026/12/06 7:05:00"});
        QCOMPARE(rig.folder.logTail(2), QStringList({started, downLine}));
        QCOMPARE(rig.statuses(), QStringList({running, down}));
        QCOMPARE(rig.schedule.state(), State::Idle);
        QTRY_VERIFY(fromCp932(rig.folder.readBytes("status.htm")).contains("<td>サーバーダウン</td>"));
        // The timed pass one interval later, then its wait.
        QVERIFY(pages.wait(5000));
        QCOMPARE(rig.schedule.state(), State::Waiting);
        QTRY_VERIFY(rig.waitValues.size() > 5);   // the bar counts 20 ms ticks, in steps of at least five
        QCOMPARE(rig.waitValues.mid(0, 6), QList<int>({0, 5, 10, 15, 20, 25}));
        QCOMPARE(rig.waitMaximum.last(), 50);

        rig.program.toggleMonitoring("not read on a stop");
        QCOMPARE(rig.schedule.state(), State::Stopped);
        QCOMPARE(rig.hostTexts.last(), QStringLiteral("Sentrova v1.0"));
        QCOMPARE(rig.progressTexts.last(), stopped);
        QCOMPARE(rig.folder.logTail(1), QStringList{stopped});
        QCOMPARE(rig.lastPass.last(), QStringLiteral("前回監視時間: "));
        QVERIFY(!pages.wait(1300));
        QCOMPARE(rig.waitValues.last(), 0);   // the bar stays empty
        QCOMPARE(listener.accepted(), 2);
    }

    void intervalAtStart_data()
    {
        columns<QString, int>("text", "seconds");   // seconds 0: the start is refused
        QTest::newRow("empty box") << "" << 20;
        QTest::newRow("fraction") << " 15.6" << 16;
        QTest::newRow("half to even") << "2.5" << 2;
        QTest::newRow("full-width, as an input method types it") << "６０．４" << 60;
        QTest::newRow("longest") << "65" << 65;
        QTest::newRow("too long") << "66" << 0;
        QTest::newRow("rounds to zero") << "0.4" << 0;
        QTest::newRow("not a number") << "1e400" << 0;
    }
    void intervalAtStart()
    {
        auto [text, seconds] = fetch<QString, int>("text", "seconds");
        Rig rig({});
        QSignalSpy messages(&rig.schedule, &MonitorSchedule::userMessage);
        rig.program.toggleMonitoring(text);
        QCOMPARE(rig.schedule.state() != State::Stopped, seconds > 0);
        QCOMPARE(rig.waitMaximum, seconds > 0 ? QList<int>{seconds * 50} : QList<int>{});
        QCOMPARE(rig.folder.logTail(1), QStringList{seconds > 0 ? started : QStringLiteral("Sentrova起動完了")});
        QCOMPARE(messages, seconds > 0 ? QList<QVariantList>{} : QList<QVariantList>{{"監視間隔は1から65までの秒数を入力してください。"}});
    }

    // What happens during the third of five probes. A stop lets the probe end and be recorded, its report too; the end of the program
    // abandons it unrecorded. Rows the host dialog removes are never written to; rows moved up by a removal are probed
    // and recorded in their new place; the pass ends after its last row and takes rows added from the next pass on.
    void duringTheThirdOfFiveProbes_data()
    {
        columns<QString, QStringList, QStringList, QString>("action", "statuses", "logged", "parallel");   // logged: after the start
        const QString before = QStringLiteral("before"), ended = QStringLiteral("Sentrovaが終了しました。");
        const QList<std::tuple<const char *, QString, QStringList, QStringList>> rows{
            {"stopped", "stop", {running, running, down, before, before}, {stopped, downLine}},
            {"stopped during its report", "report", {running, running, down, before, before}, {downLine, stopped, "127.0.0.1サーバー障害の報告を行いました。 "}},
            {"program ended", "end", {running, running, before, before, before}, {ended}},
            {"rows below removed", "remove 4 3", {running, running, down}, {downLine}},
            {"the probed row removed", "remove 2", {running, running, running, running}, {}},
            {"a row above removed", "remove 0", {running, down, running, running}, {downLine}},
            {"the probed row and those below removed", "remove 4 3 2", {running, running}, {}},
            {"a row added", "add", {running, running, down, running, running, ""}, {downLine}}};
        for (const char *parallel : {"1", "64"})   // the same with one probe at a time and with probes running ahead
            for (const auto &[name, action, statuses, logged] : rows)
                QTest::addRow("%s, %s at once", name, parallel) << action << statuses << logged << parallel;
    }
    void duringTheThirdOfFiveProbes()
    {
        auto [action, statuses, logged, parallel] = fetch<QString, QStringList, QStringList, QString>("action", "statuses", "logged", "parallel");
        Loopback::Listener listener;
        Loopback::HangingListener silent;
        const QString up = "127.0.0.1|" + listener.port() + "|before";
        Rig rig({up, up, "127.0.0.1|" + silent.port() + "|before", up, up}, 500);
        SettingsStore::setText(Setting::ParallelProbes, parallel);
        if (action == "report")
            rig.reportTo().replies["END"] = {"slow 250 ok\r\n"};
        rig.program.toggleMonitoring("60");
        QTRY_COMPARE(rig.program.hosts().cursor(), 2);
        QTRY_VERIFY(action != "report" || !rig.server->sessions.isEmpty());
        if (action == "stop" || action == "report")
            rig.program.toggleMonitoring({});
        else if (action == "end")
            rig.program.end();
        else if (action == "add")
            rig.program.hosts().add("127.0.0.1", listener.port());
        for (const QString &row : action.split(u' ').mid(1))
            rig.program.hosts().remove(row.toInt());
        QCOMPARE(rig.finished.wait(action == "end" ? 1000 : 5000), action != "end");
        QCOMPARE(rig.statuses(), statuses);
        QCOMPARE(rig.folder.logTail(logged.size() + 1), QStringList{started} + logged);
        // Running ahead, every host that answers was probed; one at a time, those recorded and a row removed after it.
        QCOMPARE(listener.accepted(), parallel == "1" ? statuses.count(running) + (action == "remove 0") : 4);
        QVERIFY(rig.program.hosts().cursor() < rig.program.hosts().rowCount());   // the cursor stays on the list
        if (action == "stop" || action == "report")   // no time of a pass, also once the stopped one has ended
            QCOMPARE(rig.lastPass, QStringList{"前回監視時間: "});
    }

    // A tick that falls into a pass waits for it: the next pass starts as soon as the running one has
    // ended. A start while a stopped pass still ends its probe shows monitoring on at once.
    void passLongerThanTheInterval()
    {
        Loopback::HangingListener silent;
        Rig rig({"127.0.0.1|" + silent.port()}, 1500);
        bool nextAtOnce = false;
        connect(&rig.pass, &MonitorPass::finished, this, [&] { nextAtOnce = rig.pass.isRunning(); });
        rig.program.toggleMonitoring("1");
        QVERIFY(rig.finished.wait(5000));
        QVERIFY(nextAtOnce);
        for (const char *text : {"", "60"})
            rig.program.toggleMonitoring(text);
        QCOMPARE(rig.schedule.state(), State::Passing);
        QVERIFY(rig.finished.wait(5000));
    }

    // The program ends at once while a name lookup hangs: the resolver's DNS server never answers.
    void endWhileALookupHangs()
    {
        const QString name = qEnvironmentVariable("SENTROVA_SILENT_RESOLVER");
        if (name.isEmpty())
            QSKIP("staged by tests/e2e/mounted_faults.sh");
        if (qEnvironmentVariableIsSet("SENTROVA_LOOKUP_CHILD")) {   // a program of its own, as main() ends it
            auto rig = std::make_unique<Rig>(QStringList{name + "|80"}, 10000);
            rig->program.toggleMonitoring("60");
            QTRY_VERIFY(QFile::exists(qEnvironmentVariable("SENTROVA_RESOLVER_ASKED")));   // the lookup is under way
            rig->program.end();
            rig.reset();
            Program::endProcess(0);
            return;
        }
        QProcess child;
        child.setEnvironment(QProcess::systemEnvironment() << "SENTROVA_LOOKUP_CHILD=1");
        child.start(QCoreApplication::applicationFilePath(), {"endWhileALookupHangs"});
        QTRY_COMPARE_WITH_TIMEOUT(child.state(), QProcess::NotRunning, 10000);   // the resolver waits 30 s
        QCOMPARE(child.exitCode(), 0);
    }

    void startUpWithoutFilesAndEnd()
    {
        TestFolder folder;
        Program program(folder.path());
        QSignalSpy ended(&program, &Program::ended);
        program.startUp();
        QCOMPARE(TestFolder::setting("Interval/Sec"), "60");
        // A probe has 10 s, each step of a report 30 s, the answer to its message's end 10 minutes.
        QCOMPARE(QList<int>({program.pass().probeTimeout(), program.mail().sender().stepTimeout(), program.mail().sender().dataEndTimeout()}),
                 QList<int>({10000, 30000, 600000}));
        QCOMPARE(program.hosts().hosts(), QList<Host>{Host{}});
        program.end();
        program.end();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(folder.logMessages(), QStringList({"Sentrovaを起動しました...", "環境設定ファイルを読み取れません。",
                                                    "メール送信用環境設定の読み取りに失敗しました。", "Sentrova起動完了",
                                                    "Sentrovaが終了しました。"}));
    }
};

QTEST_GUILESS_MAIN(TestMonitor)
#include "tst_monitor.moc"
