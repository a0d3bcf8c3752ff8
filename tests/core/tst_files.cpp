#include "TestFolder.h"

#include "core/base/Clock.h"
#include "core/base/SafeSave.h"
#include "core/base/SettingsStore.h"
#include "core/base/TextCodec.h"
#include "core/log/EventLog.h"
#include "core/statuspage/StatusPageSettings.h"
#include "core/statuspage/StatusPageWriter.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

using Outcome = StatusPageWriter::Outcome;
Q_DECLARE_METATYPE(QList<Host>)

namespace
{
// A writer with its own folder and log.
struct Rig
{
    TestFolder folder;
    EventLog log{folder.path()};
    StatusPageWriter writer{log};
    QSignalSpy failed{&writer, &StatusPageWriter::failed};

    Outcome write(const QList<Host> &hosts, const QString &root, const QString &enabled = "True", const QString &page = "index.html")
    {
        StatusPageSettings settings;
        settings.folder = root;
        settings.page = page;
        settings.enabled = enabled;
        return writer.write(hosts, settings);
    }
};
}

class TestFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(7, 5, 0))); }
    void cleanup() { Clock::setFixedTime({}); }

    // Appended, never rewritten: date, time, three spaces, the message as it
    // stands, CR LF, code page 932.
    void logLines()
    {
        TestFolder folder;
        const EventLog log(folder.path());
        log.write(QStringLiteral("web01サーバー障害の報告を行いました。 "));
        Clock::setFixedTime(QDateTime(QDate(2026, 1, 2), QTime(13, 4, 5)));
        log.write(QString());
        QCOMPARE(folder.readBytes("Sentrova.Log"), TextCodec::encode("2026/12/06 7:05:00   web01サーバー障害の報告を行いました。 \r\n"
                                                                    "2026/01/02 13:04:05   \r\n"));
    }

    // Only the exact text "False" switches the page off, and then nothing is
    // touched, not even a missing folder.
    void pageSwitch_data()
    {
        QTest::addColumn<QString>("enabled");
        QTest::newRow("False") << "False";
        QTest::newRow("false") << "false";
        QTest::newRow("empty") << "";
    }
    void pageSwitch()
    {
        QFETCH(QString, enabled);
        Rig rig;
        const bool on = enabled != "False";
        QCOMPARE(rig.write({}, rig.folder.filePath(on ? "" : "missing"), enabled), on ? Outcome::Written : Outcome::Off);
        QCOMPARE(QFile::exists(rig.folder.filePath("index.html")), on);
        QVERIFY(rig.folder.logMessages().isEmpty());
    }

    // The whole page in code page 932 with CR LF, a row a host in list order.
    void pageBytes_data()
    {
        QTest::addColumn<QList<Host>>("hosts");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("no hosts") << QList<Host>{} << QStringList{};
        QTest::newRow("running, down, not yet probed")
            << QList<Host>{{"192.168.0.10", "80", "サーバー稼動中"}, {"mail.example.jp", "25", "サーバーダウン"}, {"ns1", "53", ""}}
            << QStringList{"<tr><td>192.168.0.10</td><td>80</td><td>サーバー稼動中</td></tr>",
                           "<tr><td>mail.example.jp</td><td>25</td><td>サーバーダウン</td></tr>", "<tr><td>ns1</td><td>53</td><td></td></tr>"};
        QTest::newRow("markup escaped, outside code page 932 as references")
            << QList<Host>{{"<script>", "8\"0", "A&B"}, {"m\u00fcnchen", "1", "\U0001F600"}}
            << QStringList{"<tr><td>&lt;script&gt;</td><td>8&quot;0</td><td>A&amp;B</td></tr>",
                           "<tr><td>m&#252;nchen</td><td>1</td><td>&#128512;</td></tr>"};
    }
    void pageBytes()
    {
        QFETCH(QList<Host>, hosts);
        QFETCH(QStringList, lines);
        Rig rig;
        // A folder text that ends in the separator, as a browse gives it.
        const QString root = QDir::toNativeSeparators(rig.folder.path()) + QDir::separator();
        QCOMPARE(rig.write(hosts, root, "True", "status.htm"), Outcome::Written);
        const QStringList page = QStringList{"<html>", "<head><meta charset=\"Shift_JIS\"><title>サーバー監視報告</title></head>",
                                             "<body>", "<table border=1>", "<tr><td colspan=3>2026/12/06\u30007:05:00</td></tr>",
                                             "<tr><td>IPアドレス</td><td>ポート</td><td>ステータス</td></tr>"}
            + lines + QStringList{"</table>", "</body>", "</html>", ""};
        QCOMPARE(rig.folder.readBytes("status.htm"), TextCodec::encode(page.join("\r\n")));
    }

    // A failed write is logged and told at every pass; the last good page
    // stays as it was and no partial file is left behind.
    void failureKeepsLastPage_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("rows");
        QTest::newRow("missing folder") << "missing" << "index.html" << 1;
        QTest::newRow("empty page name") << "" << "" << 1;
        QTest::newRow("more rows than a page holds") << "" << "index.html" << HostTableModel::maxWrittenRows + 1;
    }
    void failureKeepsLastPage()
    {
        QFETCH(QString, folder);
        QFETCH(QString, page);
        QFETCH(int, rows);
        Rig rig;
        QCOMPARE(rig.write(QList<Host>(HostTableModel::maxWrittenRows, {"old", "80", {}}), rig.folder.path()), Outcome::Written);
        const QByteArray lastGood = rig.folder.readBytes("index.html");
        for (int call = 0; call < 2; ++call)
            QCOMPARE(rig.write(QList<Host>(rows, {"new", "1", {}}), rig.folder.filePath(folder), "True", page), Outcome::Failed);
        QCOMPARE(rig.folder.readBytes("index.html"), lastGood);
        QCOMPARE(QDir(rig.folder.path()).entryList({"index*"}, QDir::Files), QStringList{"index.html"});
        QCOMPARE(rig.folder.logMessages(), QStringList(2, SafeSave::failureLogText));
        QCOMPARE(rig.failed.count(), 2);
        QCOMPARE(rig.failed.first().first(), SafeSave::failureMessage);
    }

    // Every file saved as a whole goes through one helper: on a full disk it
    // keeps the old file and leaves nothing half-written behind.
    void safeSaveOnAFullDisk()
    {
        const QDir full(qEnvironmentVariable("SENTROVA_FULL_DIR"));
        if (full.path() == ".")
            QSKIP("run by tests/e2e/mounted_faults.sh, which mounts a full file system");
        QVERIFY(!SafeSave::write(full.filePath("old"), QByteArray(8192, 'x')));
        QFile old(full.filePath("old"));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), "old\n");
        QCOMPARE(full.entryList(QDir::Files), QStringList({"filler", "old"}));
    }

    void folderOfChosenFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("folder");
        QTest::newRow("file in a folder") << "/var/www/html/default.htm" << "/var/www/html/";
        QTest::newRow("file at the root") << "/x.txt" << "/";
        QTest::newRow("no folder") << "x.txt" << "";
    }
    void folderOfChosenFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, folder);
        QCOMPARE(StatusPageSettings::folderOf(QDir::toNativeSeparators(file)), QDir::toNativeSeparators(folder));
    }

    // Stored as typed; the window ticks its box only for the exact "True",
    // while the writer stops only for the exact "False".
    void pageSettings()
    {
        TestFolder folder;
        StatusPageSettings settings;
        settings.load();
        QCOMPARE(QStringList({settings.folder, settings.page, settings.enabled}),
                 QStringList({StatusPageSettings::defaultFolder(), "index.html", "False"}));
        StatusPageSettings::storeTexts(" /srv/a,b ", "");
        StatusPageSettings::storeEnabled(true);
        settings.load();
        QCOMPARE(QStringList({settings.folder, settings.page, settings.enabled}), QStringList({" /srv/a,b ", "", "True"}));
        SettingsStore::write("wwwroot", "enable", "true");
        QVERIFY(!settings.reloadEnabled());
        QVERIFY(settings.pageEnabled());
        StatusPageSettings::storeEnabled(false);
        QVERIFY(!settings.reloadEnabled());
        QVERIFY(!settings.pageEnabled());
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
