#include "monitor/HostListFile.h"
#include "platform/HostGrid.h"
#include "support/TestFolder.h"

#include <QtTest>

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
    // Loading goes through the grid's row-1 rule, so each row names the file
    // and the rows a fresh grid ends up with; files the program itself
    // writes must also come out of serialize() byte for byte.
    void load_data()
    {
        QTest::addColumn<QByteArray>("file");   // null: no file
        QTest::addColumn<Records>("rows");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("written");
        QTest::newRow("17-byte record") << QByteArray::fromHex("2231302E302E302E35222C22383022" "0D0A")
                                        << Records{{"10.0.0.5", "80"}} << true << true;
        QTest::newRow("7-byte empty list keeps blank row 1") << QByteArray("\"\",\"\"\r\n") << Records{{"", ""}} << true << true;
        QTest::newRow("japanese host name in cp932")
            << QByteArray("\"\x83\x54\x81\x5b\x83\x6f\",\"21\"\r\n") << Records{{QStringLiteral("サーバ"), "21"}} << true << true;
        QTest::newRow("comma and space inside quotes")
            << QByteArray("\"a, b\",\"80\"\r\n\" c \",\"1\"\r\n") << Records{{"a, b", "80"}, {" c ", "1"}} << true << true;
        QTest::newRow("empty first record replaced by the next")
            << QByteArray("\"\",\"\"\r\n\"h\",\"25\"\r\n") << Records{{"h", "25"}} << true << false;
        QTest::newRow("first record without port replaced")
            << QByteArray("\"x\",\"\"\r\n\"h\",\"25\"\r\n\"i\",\"\"\r\n") << Records{{"h", "25"}, {"i", ""}} << true << false;
        QTest::newRow("unquoted hand-written line") << QByteArray("10.0.0.5,80\r\n") << Records{{"10.0.0.5", "80"}} << true << false;
        QTest::newRow("odd field count keeps complete pairs")
            << QByteArray("\"a\",\"1\"\r\n\"b\",\"2\"\r\n\"c\"\r\n") << Records{{"a", "1"}, {"b", "2"}} << false << false;
        QTest::newRow("empty file") << QByteArray("") << Records{{"", ""}} << true << false;
        QTest::newRow("no file") << QByteArray() << Records{{"", ""}} << false << false;
    }
    void load()
    {
        QFETCH(QByteArray, file);
        QFETCH(Records, rows);
        QFETCH(bool, ok);
        QFETCH(bool, written);
        TestFolder folder;
        if (!file.isNull())
            folder.writeBytes(iniName, file);
        HostGrid grid;
        QCOMPARE(HostListFile::load(folder.path(), grid), ok);
        QCOMPARE(gridRows(grid), rows);
        if (written)
            QCOMPARE(HostListFile::serialize(rows), file);
    }

    void saveDropsStatusAndQuotes()
    {
        TestFolder folder;
        HostGrid grid;
        grid.setRow(1);
        const QString cells[] = {QStringLiteral("a\"b"), QStringLiteral("8\"0"), QStringLiteral("サーバーダウン")};
        for (int column = 0; column < 3; ++column) {
            grid.setColumn(column);
            grid.setText(cells[column]);
        }
        QVERIFY(HostListFile::save(folder.path(), grid));
        QCOMPARE(folder.readBytes(iniName), QByteArray("\"ab\",\"80\"\r\n"));
    }

    void rowLimit()
    {
        TestFolder folder;
        HostGrid grid;
        for (int i = 1; i < HostListFile::maxSavedHostRows; ++i)
            grid.addRow(QStringLiteral("h"));
        QVERIFY(HostListFile::save(folder.path(), grid));
        const QByteArray saved = folder.readBytes(iniName);
        QCOMPARE(saved.count("\r\n"), HostListFile::maxSavedHostRows);

        // One row more is refused and the file keeps the last good list.
        grid.addRow(QStringLiteral("h"));
        QVERIFY(!HostListFile::save(folder.path(), grid));
        QCOMPARE(folder.readBytes(iniName), saved);

        // A load stops before host row 32,768.
        folder.writeBytes(iniName, QByteArray("\"h\",\"1\"\r\n").repeated(HostListFile::maxLoadedHostRow + 1));
        HostGrid loaded;
        QVERIFY(!HostListFile::load(folder.path(), loaded));
        QCOMPARE(loaded.rowCount() - 1, HostListFile::maxLoadedHostRow);
    }
};

QTEST_MAIN(TestHostListFile)
#include "tst_hostlistfile.moc"
