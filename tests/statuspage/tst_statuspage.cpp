#include "log/EventLog.h"
#include "platform/Clock.h"
#include "platform/HostGrid.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"
#include "statuspage/StatusPageWriter.h"
#include "statuspage/WwwSettings.h"
#include "support/TestFolder.h"

#include <QApplication>
#include <QMessageBox>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace
{
const QString failureLog = QStringLiteral("環境設定ファイルの保存に失敗しました。");
const QString failureBox = QStringLiteral("環境ファイルのエラーです。サポートにご連絡ください。");

// A writer with its own folder, log and grid.
struct Rig
{
    TestFolder folder;
    EventLog log{folder.path()};
    StatusPageWriter writer{log, nullptr};
    HostGrid grid;

    void fill(const QList<QStringList> &rows)
    {
        for (qsizetype i = 0; i < rows.size(); ++i) {
            if (i > 0)
                grid.addRow(QString());
            grid.setRow(int(i) + 1);
            for (int column = 0; column < 3; ++column) {
                grid.setColumn(column);
                grid.setText(rows.at(i).value(column));
            }
        }
    }
    StatusPageWriter::Outcome write(const QString &root, const QString &enabled = "True", const QString &page = "index.html")
    {
        WwwSettings settings;
        settings.wwwRoot = root;
        settings.wwwPage = page;
        settings.wwwEnabled = enabled;
        return writer.write(grid, settings);
    }
};

QList<QMessageBox *> visibleBoxes()
{
    QList<QMessageBox *> boxes;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible())
            boxes.append(box);
    }
    return boxes;
}
}

class TestStatusPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(7, 5, 0))); }
    void cleanup() { Clock::setFixedTime({}); }

    // Only the exact text "False" switches the page off, and then nothing is
    // touched, not even a missing folder.
    void onlyExactFalseSwitchesOff_data()
    {
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<bool>("written");
        QTest::newRow("False") << "False" << false;
        QTest::newRow("false") << "false" << true;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("empty") << "" << true;
    }
    void onlyExactFalseSwitchesOff()
    {
        QFETCH(QString, enabled);
        QFETCH(bool, written);
        Rig rig;
        const QString root = written ? rig.folder.path() : rig.folder.filePath("missing");
        QCOMPARE(rig.write(root, enabled), written ? StatusPageWriter::Outcome::Written : StatusPageWriter::Outcome::Off);
        QCOMPARE(QFile::exists(rig.folder.filePath("index.html")), written);
        QVERIFY(!QFile::exists(rig.folder.filePath("missing")));
        QVERIFY(!QFile::exists(rig.log.filePath()));
        QVERIFY(rig.folder.takeMessageBoxes().isEmpty());
    }

    // The whole page, code page 932 with CR LF, from every host row in grid
    // order, read through the grid's current cell, which is left on column 2
    // of the last host row.
    void pageBytes_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("folder");   // a folder under the test folder
        QTest::addColumn<QStringList>("lines");   // the date line, then one line a host
        QTest::newRow("header row only") << QList<QStringList>{} << QString() << QStringList{"2026/12/06　7:05:00"};
        QTest::newRow("running, down, not yet probed")
            << QList<QStringList>{{"192.168.0.10", "80", "サーバー稼動中"}, {"mail.example.jp", "25", "サーバーダウン"}, {"ns1", "53", ""}}
            << QString()
            << QStringList{"2026/12/06　7:05:00", "<tr><td>192.168.0.10</td><td>80</td><td>サーバー稼動中</td></tr>",
                           "<tr><td>mail.example.jp</td><td>25</td><td>サーバーダウン</td></tr>",
                           "<tr><td>ns1</td><td>53</td><td></td></tr>"};
        QTest::newRow("markup escaped, folder text ending in the separator")
            << QList<QStringList>{{"<script>", "8\"0", "A&B"}, {"&amp;", "1", "'"}} << "www"
            << QStringList{"2026/12/06　7:05:00", "<tr><td>&lt;script&gt;</td><td>8&quot;0</td><td>A&amp;B</td></tr>",
                           "<tr><td>&amp;amp;</td><td>1</td><td>'</td></tr>"};
    }
    void pageBytes()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, folder);
        QFETCH(QStringList, lines);
        Rig rig;
        if (rows.isEmpty())
            rig.grid.removeRow(1);
        rig.fill(rows);
        rig.grid.setRow(0);
        rig.grid.setColumn(0);
        QVERIFY(folder.isEmpty() || QDir(rig.folder.path()).mkdir(folder));
        const QString root = QDir::toNativeSeparators(rig.folder.filePath(folder)) + QDir::separator();
        QCOMPARE(rig.write(root, "True", "status.htm"), StatusPageWriter::Outcome::Written);
        const QStringList page = QStringList{"<html>", "<head><meta charset=\"Shift_JIS\"><title>サーバー監視報告</title></head>",
                                             "<body>", "<table border=1>", "<tr><td colspan=3>" + lines.takeFirst() + "</td></tr>",
                                             "<tr><td>IPアドレス</td><td>ポート</td><td>ステータス</td></tr>"}
            + lines + QStringList{"</table>", "</body>", "</html>", ""};
        QCOMPARE(rig.folder.readBytes(QDir(folder).filePath("status.htm")), TextCodec::encode(page.join("\r\n")));
        QCOMPARE(rig.grid.row(), int(rows.size()));
        QCOMPARE(rig.grid.column(), rows.isEmpty() ? 0 : 2);
    }

    // A failed write is logged, and a box asked for, at every call; the last
    // good page stays as it was and no partial file is left behind.
    void failureKeepsLastPage_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing folder") << "missing folder";
        QTest::newRow("empty page name") << "empty page name";
        QTest::newRow("write broken off at the file size limit") << "file size limit";
    }
    void failureKeepsLastPage()
    {
        QFETCH(QString, cause);
        Rig rig;
        rig.fill({{"old", "80", "サーバー稼動中"}});
        QCOMPARE(rig.write(rig.folder.path()), StatusPageWriter::Outcome::Written);
        const QByteArray lastGood = rig.folder.readBytes("index.html");
        for (int i = 0; i < 100; ++i)
            rig.grid.addRow(QStringLiteral("new-host-%1.example.jp").arg(i));
        const QString root = rig.folder.filePath(cause == "missing folder" ? "missing" : "");
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const rlimit limit{cause == "file size limit" ? 1024 : saved.rlim_cur, saved.rlim_max};
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        QList<StatusPageWriter::Outcome> outcomes;
        for (int call = 0; call < 2; ++call)
            outcomes.append(rig.write(root, "True", cause == "empty page name" ? "" : "index.html"));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(outcomes, QList<StatusPageWriter::Outcome>(2, StatusPageWriter::Outcome::Failed));
        QCOMPARE(rig.folder.readBytes("index.html"), lastGood);
        QCOMPARE(QDir(rig.folder.path()).entryList({"index.html*"}, QDir::Files), QStringList{"index.html"});
        QVERIFY(!QFile::exists(rig.folder.filePath("missing")));
        QCOMPARE(rig.folder.logMessages(), QStringList(2, failureLog));
        QCOMPARE(rig.folder.takeMessageBoxes(), QStringList(2, failureBox));   // the test hook records every box
    }

    // Only one box waits for the operator; once it is closed the next
    // failure shows a new one.
    void oneMessageBoxAtATime()
    {
        Rig rig;
        MessageBox::setTestHook({});
        const QString missing = rig.folder.filePath("missing");
        rig.write(missing);
        rig.write(missing);
        QCOMPARE(visibleBoxes().size(), 1);
        QCOMPARE(visibleBoxes().first()->text(), failureBox);
        visibleBoxes().first()->close();
        rig.write(missing);
        QCOMPARE(visibleBoxes().size(), 1);
        visibleBoxes().first()->close();
        QCOMPARE(rig.folder.logMessages(), QStringList(3, failureLog));
    }

    void rowLimit()
    {
        Rig rig;
        for (int row = 2; row <= 32766; ++row)
            rig.grid.addRow(QStringLiteral("h%1").arg(row));
        QCOMPARE(rig.write(rig.folder.path()), StatusPageWriter::Outcome::Written);
        QCOMPARE(rig.folder.readBytes("index.html").count("<tr><td>h"), 32765);
        rig.grid.addRow(QStringLiteral("one too many"));
        QCOMPARE(rig.write(rig.folder.path()), StatusPageWriter::Outcome::Failed);
        QCOMPARE(rig.folder.logMessages(), QStringList{failureLog});
    }
};

QTEST_MAIN(TestStatusPage)
#include "tst_statuspage.moc"
