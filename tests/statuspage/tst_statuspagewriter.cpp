#include "log/EventLog.h"
#include "platform/Clock.h"
#include "platform/HostGrid.h"
#include "platform/MessageBox.h"
#include "platform/TextCodec.h"
#include "statuspage/StatusPage.h"
#include "statuspage/StatusPageWriter.h"
#include "statuspage/WwwSettings.h"
#include "support/TestFolder.h"

#include <QApplication>
#include <QMessageBox>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace
{
const QString failureLog = QStringLiteral("環境設定ファイルの保存に失敗しました。");
const QString failureBox = QStringLiteral("環境ファイルのエラーです。サポートにご連絡ください。");

void fill(HostGrid &grid, const QList<QStringList> &rows)
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

WwwSettings settingsFor(const QString &folder, const QString &enabled, const QString &page = "index.html")
{
    WwwSettings settings;
    settings.wwwRoot = folder;
    settings.wwwPage = page;
    settings.wwwEnabled = enabled;
    return settings;
}

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

class TestStatusPageWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(7, 5, 0)));
    }
    void cleanup()
    {
        Clock::setFixedTime({});
    }

    // Only the exact text "False" switches the page off, and then nothing
    // is touched, not even a missing folder.
    void onlyExactFalseSwitchesOff_data()
    {
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<bool>("written");
        QTest::newRow("False") << "False" << false;
        QTest::newRow("True") << "True" << true;
        QTest::newRow("false") << "false" << true;
        QTest::newRow("1") << "1" << true;
        QTest::newRow("empty") << "" << true;
    }
    void onlyExactFalseSwitchesOff()
    {
        QFETCH(QString, enabled);
        QFETCH(bool, written);
        TestFolder folder;
        const EventLog log(folder.path());
        StatusPageWriter writer(log, nullptr);
        HostGrid grid;
        const QString root = written ? folder.path() : folder.filePath("missing");
        QCOMPARE(writer.write(grid, settingsFor(root, enabled)),
                 written ? StatusPageWriter::Outcome::Written : StatusPageWriter::Outcome::Off);
        QCOMPARE(QFile::exists(folder.filePath("index.html")), written);
        QVERIFY(!QFile::exists(folder.filePath("missing")));
        QVERIFY(!QFile::exists(log.filePath()));
        QVERIFY(folder.takeMessageBoxes().isEmpty());
    }

    // The grid is read through its current cell and the page carries every
    // host row in grid order; afterwards column 2 of the last host row is
    // current.
    void pageFromGrid_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::newRow("header row only") << QList<QStringList>{};
        QTest::newRow("three hosts") << QList<QStringList>{{"192.168.0.10", "80", "サーバー稼動中"},
                                                           {"<b>", "25", "サーバーダウン"},
                                                           {"ns1", "53", ""}};
    }
    void pageFromGrid()
    {
        QFETCH(QList<QStringList>, rows);
        TestFolder folder;
        const EventLog log(folder.path());
        StatusPageWriter writer(log, nullptr);
        HostGrid grid;
        if (rows.isEmpty())
            grid.removeRow(1);
        fill(grid, rows);
        grid.setRow(0);
        grid.setColumn(0);
        QCOMPARE(writer.write(grid, settingsFor(folder.path(), "True", "status.htm")),
                 StatusPageWriter::Outcome::Written);
        QList<StatusPage::HostRow> hosts;
        for (const QStringList &row : rows)
            hosts.append({row.at(0), row.at(1), row.at(2)});
        QCOMPARE(folder.readBytes("status.htm"), StatusPage::compose(hosts, Clock::now()));
        QCOMPARE(grid.row(), rows.isEmpty() ? 0 : 3);
        QCOMPARE(grid.column(), rows.isEmpty() ? 0 : 2);
    }

    void folderEndingInSeparator()
    {
        TestFolder folder;
        const EventLog log(folder.path());
        StatusPageWriter writer(log, nullptr);
        HostGrid grid;
        fill(grid, {{"a", "1", "b"}});
        QVERIFY(QDir(folder.path()).mkdir("www"));
        const QString root = QDir::toNativeSeparators(folder.filePath("www")) + QDir::separator();
        QCOMPARE(writer.write(grid, settingsFor(root, "True")), StatusPageWriter::Outcome::Written);
        QVERIFY(folder.readBytes("www/index.html").contains("<tr><td>a</td><td>1</td><td>b</td></tr>\r\n"));
    }

    void failureLoggedAtEveryCall_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("page");
        QTest::newRow("missing folder") << "missing" << "index.html";
        QTest::newRow("empty page name") << "" << "";
        QTest::newRow("page name is a folder") << "" << "sub";
    }
    void failureLoggedAtEveryCall()
    {
        QFETCH(QString, root);
        QFETCH(QString, page);
        TestFolder folder;
        QVERIFY(QDir(folder.path()).mkdir("sub"));
        const EventLog log(folder.path());
        StatusPageWriter writer(log, nullptr);
        HostGrid grid;
        const WwwSettings settings = settingsFor(QDir::toNativeSeparators(folder.filePath(root)), "True", page);
        for (int call = 1; call <= 2; ++call) {
            QCOMPARE(writer.write(grid, settings), StatusPageWriter::Outcome::Failed);
            QCOMPARE(folder.logMessages(), QStringList(call, failureLog));
        }
        QVERIFY(!QFile::exists(folder.filePath("missing")));
        QVERIFY(QFileInfo(folder.filePath("sub")).isDir());
        // The test hook records every box it is asked for.
        QCOMPARE(folder.takeMessageBoxes(), QStringList(2, failureBox));
    }

#ifdef Q_OS_UNIX
    // A write that breaks off half way (here: the file size limit of the
    // process) leaves the last good page as it was.
    void brokenWriteKeepsLastPage()
    {
        TestFolder folder;
        const EventLog log(folder.path());
        StatusPageWriter writer(log, nullptr);
        HostGrid grid;
        fill(grid, {{"old", "80", "サーバー稼動中"}});
        QCOMPARE(writer.write(grid, settingsFor(folder.path(), "True")), StatusPageWriter::Outcome::Written);
        const QByteArray lastGood = folder.readBytes("index.html");

        for (int i = 0; i < 100; ++i)
            grid.addRow(QStringLiteral("new-host-%1.example.jp").arg(i));
        rlimit saved {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit small = saved;
        small.rlim_cur = 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const auto outcome = writer.write(grid, settingsFor(folder.path(), "True"));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(outcome, StatusPageWriter::Outcome::Failed);
        QCOMPARE(folder.readBytes("index.html"), lastGood);
        QCOMPARE(QDir(folder.path()).entryList({"index.html*"}, QDir::Files), QStringList{"index.html"});
        QCOMPARE(folder.logMessages(), QStringList{failureLog});
    }
#endif

    // Unattended monitoring fails at every pass; only one box waits for the
    // operator, and once it is closed the next failure shows a new one.
    void oneMessageBoxAtATime()
    {
        TestFolder folder;
        MessageBox::setTestHook({});
        const EventLog log(folder.path());
        StatusPageWriter writer(log, nullptr);
        HostGrid grid;
        const WwwSettings settings = settingsFor(folder.filePath("missing"), "True");
        writer.write(grid, settings);
        writer.write(grid, settings);
        QList<QMessageBox *> boxes = visibleBoxes();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first()->text(), failureBox);
        QCOMPARE(boxes.first()->windowTitle(), "Sentrova");

        boxes.first()->close();
        QVERIFY(visibleBoxes().isEmpty());
        writer.write(grid, settings);
        boxes = visibleBoxes();
        QCOMPARE(boxes.size(), 1);
        boxes.first()->close();
        QCOMPARE(folder.logMessages(), QStringList(3, failureLog));
    }

    void rowLimit_data()
    {
        QTest::addColumn<int>("hostRows");
        QTest::addColumn<bool>("written");
        QTest::newRow("32766 host rows") << 32766 << true;
        QTest::newRow("32767 host rows") << 32767 << false;
    }
    void rowLimit()
    {
        QFETCH(int, hostRows);
        QFETCH(bool, written);
        TestFolder folder;
        const EventLog log(folder.path());
        StatusPageWriter writer(log, nullptr);
        HostGrid grid;
        for (int row = 2; row <= hostRows; ++row)
            grid.addRow(QStringLiteral("h%1").arg(row));
        QCOMPARE(grid.rowCount(), hostRows + 1);
        QCOMPARE(writer.write(grid, settingsFor(folder.path(), "True")),
                 written ? StatusPageWriter::Outcome::Written : StatusPageWriter::Outcome::Failed);
        QCOMPARE(folder.readBytes("index.html").count("<tr><td>h"), written ? hostRows - 1 : 0);
        QCOMPARE(folder.logMessages().size(), written ? 0 : 1);
    }
};

QTEST_MAIN(TestStatusPageWriter)
#include "tst_statuspagewriter.moc"
