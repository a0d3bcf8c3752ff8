#include "monitor/HostListFile.h"
#include "platform/HostGrid.h"
#include "support/TestFolder.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using Records = QList<HostRecord>;
Q_DECLARE_METATYPE(Records)

namespace
{
const QString iniName = QStringLiteral("Sentrova.ini");

// The grid's host rows as address/port pairs.
Records gridRows(HostGrid &grid)
{
    Records rows;
    for (int row = 1; row < grid.rowCount(); ++row) {
        grid.setRow(row);
        grid.setColumn(0);
        const QString address = grid.text();
        grid.setColumn(1);
        rows.append({address, grid.text()});
    }
    return rows;
}
}

class TestHostListFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serialize_data()
    {
        QTest::addColumn<Records>("records");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("17-byte record") << Records{{"10.0.0.5", "80"}}
                                        << QByteArray::fromHex("2231302E302E302E35222C22383022" "0D0A");
        QTest::newRow("7-byte empty list") << Records{{"", ""}} << QByteArray("\"\",\"\"\r\n");
        QTest::newRow("japanese host name in cp932")
            << Records{{QStringLiteral("サーバ"), "21"}} << QByteArray("\"\x83\x54\x81\x5b\x83\x6f\",\"21\"\r\n");
        QTest::newRow("double quote dropped") << Records{{"a\"b", "8\"0"}} << QByteArray("\"ab\",\"80\"\r\n");
    }
    void serialize()
    {
        QFETCH(Records, records);
        QFETCH(QByteArray, bytes);
        QCOMPARE(HostListFile::serialize(records), bytes);
    }

    // Loading goes through the grid's row-1 rule, so each row names the
    // file and the rows that the main window's fresh grid ends up with.
    void loadIntoGrid_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Records>("rows");
        QTest::addColumn<bool>("ok");
        QTest::newRow("one host") << QByteArray("\"10.0.0.5\",\"80\"\r\n") << Records{{"10.0.0.5", "80"}} << true;
        QTest::newRow("empty list keeps blank row 1") << QByteArray("\"\",\"\"\r\n") << Records{{"", ""}} << true;
        QTest::newRow("empty first record replaced by the next")
            << QByteArray("\"\",\"\"\r\n\"h\",\"25\"\r\n") << Records{{"h", "25"}} << true;
        QTest::newRow("first record without port replaced")
            << QByteArray("\"x\",\"\"\r\n\"h\",\"25\"\r\n\"i\",\"\"\r\n")
            << Records{{"h", "25"}, {"i", ""}} << true;
        QTest::newRow("comma and space inside quotes")
            << QByteArray("\"a, b\",\"80\"\r\n\" c \",\"1\"\r\n") << Records{{"a, b", "80"}, {" c ", "1"}} << true;
        QTest::newRow("unquoted hand-written line") << QByteArray("10.0.0.5,80\r\n") << Records{{"10.0.0.5", "80"}} << true;
        QTest::newRow("odd field count keeps complete pairs")
            << QByteArray("\"a\",\"1\"\r\n\"b\",\"2\"\r\n\"c\"\r\n") << Records{{"a", "1"}, {"b", "2"}} << false;
        QTest::newRow("empty file") << QByteArray() << Records{{"", ""}} << true;
    }
    void loadIntoGrid()
    {
        QFETCH(QByteArray, file);
        QFETCH(Records, rows);
        QFETCH(bool, ok);
        TestFolder folder;
        folder.writeBytes(iniName, file);
        HostGrid grid;
        QCOMPARE(HostListFile::load(folder.path(), grid), ok);
        QCOMPARE(gridRows(grid), rows);
    }

    void missingFileFails()
    {
        TestFolder folder;
        HostGrid grid;
        QVERIFY(!HostListFile::load(folder.path(), grid));
        QCOMPARE(grid.rowCount(), 2);
    }

    void saveRoundTripDropsStatus()
    {
        TestFolder folder;
        HostGrid grid;
        folder.writeBytes(iniName, "\"a, b\",\"80\"\r\n\"c\",\"x\"\r\n");
        QVERIFY(HostListFile::load(folder.path(), grid));
        grid.setRow(1);
        grid.setColumn(2);
        grid.setText(QStringLiteral("サーバーダウン"));
        QVERIFY(HostListFile::save(folder.path(), grid));
        QCOMPARE(folder.readBytes(iniName), QByteArray("\"a, b\",\"80\"\r\n\"c\",\"x\"\r\n"));
    }

    void rowLimit()
    {
        TestFolder folder;
        HostGrid grid;
        for (int i = 1; i < HostListFile::maxSavedHostRows; ++i)
            grid.addRow(QStringLiteral("h"));
        QCOMPARE(grid.rowCount() - 1, HostListFile::maxSavedHostRows);
        QVERIFY(HostListFile::save(folder.path(), grid));
        const QByteArray saved = folder.readBytes(iniName);
        QCOMPARE(saved.count("\r\n"), HostListFile::maxSavedHostRows);

        // One row more is refused and the file keeps the last good list.
        grid.addRow(QStringLiteral("h"));
        QVERIFY(!HostListFile::save(folder.path(), grid));
        QCOMPARE(folder.readBytes(iniName), saved);

        // A load stops before host row 32,768.
        QByteArray big;
        for (int i = 0; i < HostListFile::maxLoadedHostRow + 1; ++i)
            big += "\"h\",\"1\"\r\n";
        folder.writeBytes(iniName, big);
        HostGrid loaded;
        QVERIFY(!HostListFile::load(folder.path(), loaded));
        QCOMPARE(loaded.rowCount() - 1, HostListFile::maxLoadedHostRow);
    }

    void shortWriteKeepsOldList()
    {
        TestFolder folder;
        const QByteArray old = "\"old\",\"1\"\r\n";
        folder.writeBytes(iniName, old);
        HostGrid grid;
        for (int i = 0; i < 200; ++i)
            grid.addRow(QStringLiteral("host-%1.example.invalid").arg(i));

        // A file size limit stands in for a full disk: writes stop at 1 KiB.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 1024;
        setrlimit(RLIMIT_FSIZE, &small);
        const bool ok = HostListFile::save(folder.path(), grid);
        setrlimit(RLIMIT_FSIZE, &saved);

        QVERIFY(!ok);
        QCOMPARE(folder.readBytes(iniName), old);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{iniName});
    }

    void failedSaveLeavesOldFile()
    {
        TestFolder folder;
        HostGrid grid;
        QVERIFY(!HostListFile::save(folder.filePath(QStringLiteral("missing")), grid));
        QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("missing"))));
    }
};

QTEST_MAIN(TestHostListFile)
#include "tst_hostlistfile.moc"
