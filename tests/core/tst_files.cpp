#include "DataRows.h"
#include "TestFolder.h"

#include "core/Program.h"
#include "core/base/Clock.h"
#include "core/base/ProgramFolder.h"
#include "core/base/SettingsStore.h"
#include "core/base/SingleInstance.h"
#include "core/base/TerminationSignals.h"
#include "core/hosts/HostListEditor.h"
#include "core/base/SafeSave.h"
#include "core/statuspage/StatusPageSettings.h"
#include "core/statuspage/StatusPageWriter.h"
#include "core/log/EventLog.h"

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

enum class Outcome { Off, Written, Failed };
Q_DECLARE_METATYPE(QList<Host>)

class TestFiles : public QObject
{
    Q_OBJECT

    TestFolder m_folder;
    EventLog m_log{m_folder.path()};
    StatusPageWriter m_writer{m_log};

    Outcome write(const QList<Host> &hosts, const QString &folder, const QString &page = "index.html", const QString &on = "True")
    {
        QSignalSpy finished(&m_writer, &StatusPageWriter::finished);
        if (!m_writer.write(hosts, StatusPageSettings{folder, page, on}))
            return Outcome::Off;
        return finished.wait(10000) && finished.first().first().toBool() ? Outcome::Written : Outcome::Failed;
    }

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2027, 1, 5), QTime(7, 5, 0))); }

    // The whole page in code page 932 with CR LF, a row a host in list order; only the exact text
    // "False" switches it off, and then nothing is touched. nginx and Chromium show a row's page.
    void pageBytes_data()
    {
        columns<QString, QList<Host>, QStringList>("enabled", "hosts", "lines");
        QTest::newRow("off") << "False" << QList<Host>{} << QStringList{};
        QTest::newRow("no hosts, \"false\" is on") << "false" << QList<Host>{} << QStringList{};
        QTest::newRow("running, down, not yet probed, markup escaped")
            << "" << QList<Host>{{"192.168.0.10", "80", "サーバー稼動中"}, {"mail.example.jp", "25", "サーバーダウン"}, {"<b>x</b>", "5\"3", "&"}}
            << QStringList{"<tr><td>192.168.0.10</td><td>80</td><td>サーバー稼動中</td></tr>",
                           "<tr><td>mail.example.jp</td><td>25</td><td>サーバーダウン</td></tr>",
                           "<tr><td>&lt;b&gt;x&lt;/b&gt;</td><td>5&quot;3</td><td>&amp;</td></tr>"};
        QTest::newRow("outside code page 932 as references") << "True" << QList<Host>{{"m\u00fcnchen", "1", "\U0001F600"}}
                                                             << QStringList{"<tr><td>m&#252;nchen</td><td>1</td><td>&#128512;</td></tr>"};
    }
    void pageBytes()
    {
        auto [enabled, hosts, lines] = fetch<QString, QList<Host>, QStringList>("enabled", "hosts", "lines");
        const QDir pages(qEnvironmentVariable("SENTROVA_PAGE_DIR", m_folder.path()));
        // A folder text that ends in the separator, as a browse gives it.
        const QString folder = QDir::toNativeSeparators(pages.filePath(enabled == "False" ? "missing" : "")) + QDir::separator();
        QCOMPARE(write(hosts, folder, "status.htm", enabled), enabled == "False" ? Outcome::Off : Outcome::Written);
        const QStringList page = QStringList{"<html>", "<head><meta charset=\"Shift_JIS\"><title>サーバー監視報告</title></head>", "<body>", "<table border=1>",
                                             "<tr><td colspan=3>2027/01/05\u30007:05:00</td></tr>", "<tr><td>IPアドレス</td><td>ポート</td><td>ステータス</td></tr>"}
            + lines + QStringList{"</table>", "</body>", "</html>", ""};
        QCOMPARE(m_folder.readBytes(pages.filePath("status.htm")), enabled == "False" ? QByteArray() : cp932(page.join("\r\n")));
        QVERIFY(m_folder.logMessages().isEmpty());
    }

    // One write at a time: of the pages asked for meanwhile only the newest is written, after it, also when the worker has ended and only its result
    // is still on its way. A failed write, to a missing folder or of more rows than a page holds, is logged, told and its reason printed each time;
    // the last good page stays as it was and no partial file is left behind.
    void failureKeepsLastPage()
    {
        QSignalSpy failed(&m_writer, &StatusPageWriter::failed), finished(&m_writer, &StatusPageWriter::finished);
        for (const char *address : {"first", "second", "newest"})
            QVERIFY(m_writer.write(QList<Host>(32766, {address, "80", {}}), StatusPageSettings{m_folder.path(), "index.html", "True"}));
        QTRY_COMPARE(finished.size(), 2);
        const QByteArray lastGood = m_folder.readBytes("index.html");
        QCOMPARE(lastGood.count("<tr><td>newest</td><td>80</td><td></td></tr>"), 32766);
        for (const QString &reason : {m_folder.filePath("missing/index.html: No such file or directory"), m_folder.filePath("index.html: ホストが32766件を超えています")})
            QTest::ignoreMessage(QtWarningMsg, qUtf8Printable("Sentrova: ファイルを保存できません (" + reason + ')'));
        QVERIFY(m_writer.write({{"new", "1", {}}}, StatusPageSettings{m_folder.filePath("missing"), "index.html", "True"}));
        QVERIFY(m_writer.findChild<QThreadPool *>() && m_writer.findChild<QThreadPool *>()->waitForDone(10000));
        QCOMPARE(write(QList<Host>(32767, {"new", "1", {}}), m_folder.path()), Outcome::Failed);
        QTRY_COMPARE(finished.size(), 4);
        QCOMPARE(m_folder.readBytes("index.html"), lastGood);
        QCOMPARE(QDir(m_folder.path()).entryList({"index*"}, QDir::Files), QStringList{"index.html"});
        QCOMPARE(m_folder.logMessages(), QStringList(2, SafeSave::failureLogText));
        QCOMPARE(failed, QList<QVariantList>(2, {SafeSave::failureMessage}));
    }

    // A page in a folder it may not write to, but writable itself, is rewritten in place. A page save that hangs there
    // (a pipe nobody reads) does not hold up the end: 10 s on, the program ends with 1 and says so, before its exit handlers could run under the save.
    void pageInPlace()
    {
        const QString folder = qEnvironmentVariable("SENTROVA_HANG_DIR"), locked = qEnvironmentVariable("SENTROVA_LOCKED_DIR");
        if (folder.isEmpty() || QFileInfo(locked).isWritable())
            QSKIP("staged by tests/e2e/mounted_faults.sh: folders this user may not write to, holding a page it may");
        if (qEnvironmentVariableIsSet("SENTROVA_HANG_CHILD")) {   // the end of a program, in a process of its own
            StatusPageWriter writer(m_log);
            QVERIFY(writer.write({{"db", "5432", {}}}, StatusPageSettings{folder, "index.html", "True"}));
            return;
        }
        QCOMPARE(write({{"db", "5432", {}}}, locked), Outcome::Written);
        QVERIFY(m_folder.readBytes(locked + "/index.html").contains("<tr><td>db</td><td>5432</td><td></td></tr>"));
        QProcess child;
        child.setEnvironment(QProcess::systemEnvironment() << "SENTROVA_HANG_CHILD=1");
        child.setProcessChannelMode(QProcess::MergedChannels);   // QTest takes the warning to standard output
        child.start(QCoreApplication::applicationFilePath(), {"pageInPlace"});
        QTRY_COMPARE_WITH_TIMEOUT(child.state(), QProcess::NotRunning, 30000);
        QCOMPARE(child.exitCode(), 1);
        QVERIFY(child.readAll().contains("ステータスページの保存が終わらないため、待たずに終了します。"));
    }

    // Every file follows one folder: the program's own while it may write there, else the per-user data folder of the user's home, made if missing.
    void programFolder()
    {
        TestFolder home, program;
        qputenv("HOME", home.path().toLocal8Bit());
        qunsetenv("XDG_DATA_HOME");
        QCOMPARE(ProgramFolder::choose(program.path()), program.path());
        const QString readOnly = qEnvironmentVariable("SENTROVA_RO_DIR", program.path());
        if (QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::ExeOwner) && QFileInfo(readOnly).isWritable())
            QSKIP("root may write to any folder not mounted read-only: run by tests/e2e/mounted_faults.sh");
        const QString folder = ProgramFolder::choose(readOnly);
        QCOMPARE(folder, home.filePath(".local/share/Sentrova"));
        Program sentrova(folder);
        sentrova.startUp();
        QVERIFY(sentrova.mail().confirm({"mx", "s@x", {"r@x"}}) && HostListEditor(sentrova.hosts(), folder, sentrova.log()).add("db", "1"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList({"MailConfig.ini", "Sentrova.ini", "Sentrova.Log"}));
    }

    // One message is one line of the log, whatever its text holds; what code page 932 cannot
    // hold is "?", nothing after it lost. A line the log file cannot take goes to standard error.
    void logLine()
    {
        TestFolder folder;
        const int input = ::dup(0);
        ::close(0);   // as when started without standard input: the log file may get descriptor 0
        const mode_t mask = ::umask(022);
        EventLog(folder.path()).write(QString("a\r\nb\nc\x1b[1m\x07\u0085d\u2028e m\u00fcnchen \U0001F600 \u301c %1f %1").arg(QChar(0xD83D)));   // %1: half a pair
        ::umask(mask);
        QCOMPARE(::fcntl(0, F_GETFD), -1);   // and closed again
        QCOMPARE(QFileInfo(folder.filePath("Sentrova.Log")).permissions(), QFile::Permissions::fromInt(0x6644));   // rw-r--r--, as the umask makes it
        ::dup2(input, 0);
        QCOMPARE(folder.readBytes("Sentrova.Log"), "2027/01/05 7:05:00   a  b c [1m  d e m?nchen ? ? ?f ?\r\n");
        QTemporaryFile err;
        const int saved = ::dup(2);
        QVERIFY(err.open() && ::dup2(err.handle(), 2) == 2);
        EventLog(folder.filePath("missing")).write("Sentrova起動完了");
        ::dup2(saved, 2);
        QVERIFY(err.seek(0) && QString::fromUtf8(err.readAll()).endsWith("): 2027/01/05 7:05:00   Sentrova起動完了\n"));
    }

    // The watch takes SIGTERM and SIGHUP unless one was ignored before it began, and gives them back to the system at its end. One watch at a time.
    void terminationSignals()
    {
        std::signal(SIGTERM, SIG_IGN);
        const auto handler = [](int number) { struct sigaction action = {}; ::sigaction(number, nullptr, &action); return action.sa_handler; };
        auto *watch = new TerminationSignals;
        QTest::ignoreMessage(QtWarningMsg, "Sentrova: termination signals are already watched by another instance");
        delete new TerminationSignals;   // a second watch takes nothing from the first
        const bool hupWatched = handler(SIGHUP) != SIG_DFL && handler(SIGHUP) != SIG_IGN;
        QSignalSpy received(watch, &TerminationSignals::received);
        ::raise(SIGHUP);
        QVERIFY(received.wait(2000));
        delete watch;
        const bool termStillIgnored = handler(SIGTERM) == SIG_IGN;
        std::signal(SIGTERM, SIG_DFL);
        QVERIFY(hupWatched && termStillIgnored && handler(SIGHUP) == SIG_DFL);
    }

    // One copy per folder: a second claim fails and asks the first to show itself; a lock left by a process that is gone is taken over.
    void singleInstance()
    {
        TestFolder folder;
        // The lock of a process that cannot be: Linux gives no process id as high as 2^22.
        folder.writeBytes("Sentrova.lock", "4194304\nsentrova\n" + QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n'
                                             + QSysInfo::bootUniqueId() + '\n');
        SingleInstance first(folder.path()), second(folder.path());
        QVERIFY(first.claim());
        QSignalSpy raised(&first, &SingleInstance::raiseRequested), delivered(&second, &SingleInstance::delivered);
        QVERIFY(!second.claim());
        QVERIFY(raised.wait(5000));
        QTRY_COMPARE(delivered.size(), 1);
    }

    // A hand-edited value with a comma is the user's text, not a list. A file that cannot be written is logged, once a run.
    void settingsFile()
    {
        TestFolder folder;
        const QString file = TestFolder::settingsFile();
        SettingsStore::setText(Setting::IntervalText, "1,5");
        QCOMPARE(SettingsStore::text(Setting::IntervalText), "1,5");
        folder.writeBytes(file, "[Interval]\nSec=10,20\n\n[wwwroot]\nfile = a.htm\ndir = /srv/a, b\n");
        QCOMPARE(SettingsStore::text(Setting::IntervalText), "10,20");
        QCOMPARE(SettingsStore::text(Setting::PageFolder), "/srv/a, b");
        QVERIFY(QFile::remove(file) && QDir().mkpath(file));   // a folder stops root's writes too
        Program program(folder.path());
        program.startUp();   // stores the interval back
        SettingsStore::setOn(Setting::PageEnabled, true);
        QCOMPARE(folder.logMessages().count("ユーザー設定を保存できません (" + file + ")。"), 1);
    }

    // Every file saved as a whole goes through one helper: on a full disk, or when the rename that
    // puts the new file in place fails, the save fails with the system's reason, leaving the old file alone.
    void safeSaveFaults()
    {
        QDir folder(qEnvironmentVariable("SENTROVA_FULL_DIR"));
        if (qEnvironmentVariableIsSet("SENTROVA_RENAME_FAILS")) {
            folder.setPath(m_folder.path());
            m_folder.writeBytes("old", "old\n");
        } else if (folder.path() == ".") {
            QSKIP("staged by CTest: a full file system (tests/e2e/mounted_faults.sh) or every rename failing (strace)");
        }
        QCOMPARE(SafeSave::write(folder.filePath("old"), QByteArray(8192, 'x')).value_or(SafeSave::Failure{}).reason,
                 qEnvironmentVariableIsSet("SENTROVA_RENAME_FAILS") ? "Input/output error" : "No space left on device");
        QCOMPARE(m_folder.readBytes(folder.filePath("old")), "old\n");
        QCOMPARE(folder.entryList({"old*"}, QDir::Files), QStringList{"old"});
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
