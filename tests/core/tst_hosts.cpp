#include "TestFolder.h"

#include "core/base/SafeSave.h"
#include "core/hosts/HostListEditor.h"
#include "core/hosts/HostListFile.h"
#include "core/log/EventLog.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QtTest>

namespace
{
const QString hostFile = QStringLiteral("Sentrova.ini");

QByteArray line(const QByteArray &address, const QByteArray &port)
{
    return '"' + address + "\",\"" + port + "\"\r\n";
}

// The rows as "address|port|status".
QStringList rows(const HostTableModel &hosts)
{
    QStringList texts;
    for (const Host &host : hosts.hosts())
        texts.append(host.address + u'|' + host.port + u'|' + host.status);
    return texts;
}
}

class TestHosts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What a file holds and the rows read from it; rows a save writes back
    // to the same bytes are marked so.
    void fileFormat_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("loaded");     // the whole file was read
        QTest::addColumn<bool>("roundTrip");
        const QByteArray bom = "\xEF\xBB\xBF";
        QTest::newRow("empty list: one line of two empty fields") << line("", "") << QStringList{"||"} << true << true;
        QTest::newRow("code page 932, comma and space kept") << line("\x83\x54\x81\x5b\x83\x6f, b", " 21")
                                                             << QStringList{"サーバ, b| 21|"} << true << true;
        QTest::newRow("first row replaced while its port is empty") << line("", "") + line("web", "80") << QStringList{"web|80|"} << true << false;
        QTest::newRow("hosts in order, an empty port later stays") << line("a", "1") + line("b", "") + line("c", "3")
                                                   << QStringList{"a|1|", "b||", "c|3|"} << true << true;
        QTest::newRow("unquoted, a record over a line end") << QByteArray("a,1\n\"b\"\r\n2\r\n") << QStringList{"a|1|", "b|2|"} << true << false;
        QTest::newRow("UTF-8 with a byte-order mark") << bom + QStringLiteral("\"サーバ\",\"21\"\r\n").toUtf8()
                                                      << QStringList{"サーバ|21|"} << true << false;
        QTest::newRow("ends inside a record") << line("a", "1") + "\"b\"\r\n" << QStringList{"a|1|"} << false << false;
    }
    void fileFormat()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        QFETCH(bool, loaded);
        QFETCH(bool, roundTrip);
        TestFolder folder;
        folder.writeBytes(hostFile, bytes);
        HostTableModel hosts;
        QCOMPARE(HostListFile::load(folder.path(), hosts), loaded);
        QCOMPARE(::rows(hosts), rows);
        hosts.setStatus(0, QStringLiteral("サーバー稼動中"));
        QVERIFY(HostListFile::save(folder.path(), hosts));
        if (roundTrip)
            QCOMPARE(folder.readBytes(hostFile), bytes);
    }

    // Rows are counted in 16 bits: 32,767 are read, 32,766 written. The
    // file has no escape for a double quote: it is dropped.
    void rowLimitsAndQuotes()
    {
        QCOMPARE(HostListFile::serialize({{"a\"b", "8\"0", "x"}}), line("ab", "80"));
        TestFolder folder;
        folder.writeBytes(hostFile, line("h", "1").repeated(HostTableModel::maxLoadedRows + 1));
        HostTableModel hosts;
        QVERIFY(!HostListFile::load(folder.path(), hosts));
        QCOMPARE(hosts.rowCount(), HostTableModel::maxLoadedRows);
        QVERIFY(!HostListFile::save(folder.path(), hosts));
        hosts.remove(0);
        QVERIFY(HostListFile::save(folder.path(), hosts));
    }

    // The host dialog's edits: "add|ADDRESS|PORT", "pick|ROW" (-1 the
    // header), "delete", "reopen|FILE" (the file edited by hand, the dialog
    // opened again), "unwritable". The main list has every host marked; the
    // dialog reads the file as it opens.
    void editor_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("dialogRows");
        QTest::addColumn<QStringList>("mainRows");
        QTest::addColumn<QByteArray>("saved");
        const QString noRow = QStringLiteral("ホスト名を選択してから削除してください。");
        const QByteArray db = line("db", "5432"), two = line("a", "1") + line("b", "2");
        const QStringList dbRow{"db|5432|"}, dbMarked{"db|5432|on"}, twoRows{"a|1|", "b|2|"}, twoMarked{"a|1|on", "b|2|on"};
        QTest::newRow("refused adds change nothing")
            << db << QStringList{"add||80", "add|h|", "add|h|8\"0", "add|m\u00fcnchen|80"}
            << QStringList{"IPアドレスが未入力です。",
                           "ポート番号が選ばれていません。ポート番号をプルダウンから選ぶか、右のテキストボックスに直接入力してください。",
                           "ホスト名とポート番号に \" (ダブルクォート) は使用できません。", "ホスト名とポート番号に使用できない文字が含まれています。"}
            << dbRow << dbMarked << db;
        QTest::newRow("appended, no file") << QByteArray() << QStringList{"add|web|8080", "add|web|8080"} << QStringList{}
                                           << QStringList{"web|8080|", "web|8080|"} << QStringList{"web|8080|", "web|8080|"}
                                           << line("web", "8080").repeated(2);
        QTest::newRow("free first row taken, its status cleared") << line("old", "") << QStringList{"add|db|5432"} << QStringList{}
                                                                 << dbRow << dbRow << db;
        QTest::newRow("delete without a pick, file rewritten") << QByteArray("a,1\r\nb,2\r\n") << QStringList{"delete"}
                                                                << QStringList{noRow} << twoRows << twoMarked << two;
        QTest::newRow("delete after a header pick") << two << QStringList{"pick|-1", "delete"} << QStringList{noRow} << twoRows << twoMarked << two;
        QTest::newRow("delete the only host") << line("a", "1") << QStringList{"pick|0", "delete"} << QStringList{}
                                              << QStringList{"||"} << QStringList{"||"} << line("", "");
        // An add makes its row the selected one, a delete asks for a new pick.
        QTest::newRow("delete right after an add, then after another") << two << QStringList{"pick|0", "add|new|9", "delete", "add|c|3", "delete"}
                                                                       << QStringList{noRow} << twoRows + QStringList{"c|3|"} << twoMarked + QStringList{"c|3|"} << two + line("c", "3");
        // The file grew by hand after start-up: a delete past the main list's
        // end leaves it alone; an add goes to its own end.
        QTest::newRow("rows missing in the main list") << line("a", "1") << QStringList{"reopen|" + two, "pick|1", "delete", "add|c|3"}
                                                       << QStringList{} << QStringList{"a|1|", "c|3|"} << QStringList{"a|1|on", "c|3|"}
                                                       << line("a", "1") + line("c", "3");
        QTest::newRow("save fails, the change stays") << QByteArray() << QStringList{"unwritable", "add|web|80"}
                                                      << QStringList{SafeSave::failureMessage} << QStringList{"web|80|"}
                                                      << QStringList{"web|80|"} << QByteArray();
    }
    void editor()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, dialogRows);
        QFETCH(QStringList, mainRows);
        QFETCH(QByteArray, saved);
        TestFolder folder;
        folder.writeBytes(hostFile, file);
        const EventLog log(folder.path());
        HostTableModel main;
        QAbstractItemModelTester mainTester(&main);   // every change told to views as a model must
        HostListFile::load(folder.path(), main);
        for (int row = 0; row < main.rowCount(); ++row)
            main.setStatus(row, main.hosts().at(row).address.isEmpty() ? QString() : QStringLiteral("on"));
        QStringList shown;
        std::unique_ptr<HostListEditor> editor;
        const auto open = [&] {
            editor = std::make_unique<HostListEditor>(main, folder.path(), log);
            new QAbstractItemModelTester(&editor->hosts(), editor.get());
            connect(editor.get(), &HostListEditor::userMessage, this, [&shown](const QString &text) { shown.append(text); });
        };
        open();
        for (const QString &action : actions) {
            const QStringList part = action.split(u'|');
            if (part.at(0) == "add")
                editor->add(part.at(1), part.at(2));
            else if (part.at(0) == "pick")
                editor->select(part.at(1).toInt());
            else if (part.at(0) == "delete")
                editor->deleteSelected();
            else if (part.at(0) == "reopen")
                folder.writeBytes(hostFile, part.at(1).toLatin1()), open();
            else
                QVERIFY(QFile::remove(folder.filePath(hostFile)) && QDir(folder.path()).mkdir(hostFile));
        }
        QCOMPARE(shown, messages);
        QCOMPARE(rows(editor->hosts()), dialogRows);
        QCOMPARE(rows(main), mainRows);
        QCOMPARE(folder.readBytes(hostFile), saved);
        QCOMPARE(folder.logMessages(), saved.isNull() ? QStringList{SafeSave::failureLogText} : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestHosts)
#include "tst_hosts.moc"
