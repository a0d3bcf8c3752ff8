#include "DataRows.h"
#include "TestFolder.h"

#include "core/base/SafeSave.h"
#include "core/hosts/HostListEditor.h"
#include "core/hosts/HostListFile.h"
#include "core/log/EventLog.h"

#include <QtTest>

static const QString hostFile = QStringLiteral("Sentrova.ini");

static QByteArray line(const QByteArray &address, const QByteArray &port) { return '"' + address + "\",\"" + port + "\"\r\n"; }

// The rows as "address|port|status".
static QStringList rows(const HostTableModel &hosts)
{
    QStringList texts;
    for (const Host &host : hosts.hosts())
        texts.append(host.address + u'|' + host.port + u'|' + host.status);
    return texts;
}

class TestHosts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What a file holds, the rows read from it and what a save writes back (null: the save fails, the file stays).
    // Rows are counted in 16 bits: 32,767 are read, 32,766 written. A double quote has no escape: it is dropped.
    void fileFormat_data()
    {
        columns<QByteArray, QStringList, bool, QByteArray>("bytes", "rows", "loaded", "saved");   // loaded: the whole file was read
        const QByteArray server = "\x83\x54\x81\x5b\x83\x6f", comma = line(server + ", b", " 21"), h = line("h", "1");
        const QByteArray abc = line("a", "1") + line("b", "") + line("c", "3");
        QTest::newRow("empty list: one line of two empty fields") << line("", "") << QStringList{"||"} << true << line("", "");
        QTest::newRow("code page 932, comma and space kept") << comma << QStringList{"サーバ, b| 21|"} << true << comma;
        QTest::newRow("first row replaced while its port is empty") << line("", "") + line("web", "80") << QStringList{"web|80|"} << true << line("web", "80");
        QTest::newRow("hosts in order, an empty port later stays") << abc << QStringList{"a|1|", "b||", "c|3|"} << true << abc;
        QTest::newRow("unquoted, a record over a line end, blanks after the last line") << QByteArray("a,1\n\"b\"\r\n2\r\n  ")
            << QStringList{"a|1|", "b|2|"} << true << line("a", "1") + line("b", "2");
        QTest::newRow("UTF-8 with a byte-order mark") << "\xEF\xBB\xBF" + line("サーバ", "21") << QStringList{"サーバ|21|"} << true << line(server, "21");
        QTest::newRow("ends inside a record") << line("a", "1") + "\"b\"\r\n" << QStringList{"a|1|"} << false << line("a", "1");
        QTest::newRow("quotes in unquoted fields") << QByteArray("a\"b,8\"0\r\n") << QStringList{"a\"b|8\"0|"} << true << line("ab", "80");
        QTest::newRow("32,766 rows written") << h.repeated(32766) << QStringList(32766, "h|1|") << true << h.repeated(32766);
        QTest::newRow("32,768 rows, 32,767 read") << h.repeated(32768) << QStringList(32767, "h|1|") << false << QByteArray();
    }
    void fileFormat()
    {
        auto [bytes, rows, loaded, saved] = fetch<QByteArray, QStringList, bool, QByteArray>("bytes", "rows", "loaded", "saved");
        TestFolder folder;
        folder.writeBytes(hostFile, bytes);
        HostTableModel hosts;
        QCOMPARE(HostListFile::load(folder.path(), hosts), loaded);
        QCOMPARE(::rows(hosts), rows);
        hosts.setStatus(0, QStringLiteral("サーバー稼動中"));
        QCOMPARE(HostListFile::save(folder.path(), hosts).has_value(), saved.isNull());
        QCOMPARE(folder.readBytes(hostFile), saved.isNull() ? bytes : saved);
    }

    // The host dialog's edits: "add|ADDRESS|PORT", "pick|ROW" (-1 the header), "delete", "reopen|FILE" (the file edited by hand, the dialog opened
    // again), "unwritable". The main list has every host marked; the dialog reads the file as it opens.
    void editor_data()
    {
        columns<QByteArray, QStringList, QStringList, QStringList, QStringList, QByteArray>("file", "actions", "messages", "dialogRows", "mainRows", "saved");
        const QString noRow = QStringLiteral("ホスト名を選択してから削除してください。");
        const QByteArray db = line("db", "5432"), two = line("a", "1") + line("b", "2");
        const QStringList dbRow{"db|5432|"}, dbMarked{"db|5432|on"}, twoRows{"a|1|", "b|2|"}, twoMarked{"a|1|on", "b|2|on"};
        QTest::newRow("refused adds change nothing") << db << QStringList{"add||80", "add|h|", "add|h|8\"0", "add|m\u00fcnchen|80", "add|" + QString(254, 'h') + "|80", "add|h|http", "add|h|65536"}
            << QStringList{"IPアドレスが未入力です。", "ポート番号が選ばれていません。ポート番号をプルダウンから選ぶか、右のテキストボックスに直接入力してください。",
                           "ホスト名とポート番号に \" (ダブルクォート) は使用できません。", "ホスト名とポート番号に使用できない文字が含まれています。",
                           "ホスト名は253文字以内で入力してください。"} + QStringList(2, "ポート番号は1から65535までの数で入力してください。")
            << dbRow << dbMarked << db;
        QTest::newRow("appended, no file") << QByteArray() << QStringList(2, "add|web|8080") << QStringList{}
            << QStringList(2, "web|8080|") << QStringList(2, "web|8080|") << line("web", "8080").repeated(2);
        QTest::newRow("free first row taken, its status cleared") << line("old", "") << QStringList{"add|db|5432"} << QStringList{} << dbRow << dbRow << db;
        QTest::newRow("delete without a pick, then after a header pick; file rewritten") << QByteArray("a,1\r\nb,2\r\n")
            << QStringList{"delete", "pick|-1", "delete"} << QStringList{noRow, noRow} << twoRows << twoMarked << two;
        QTest::newRow("delete the only host") << line("a", "1") << QStringList{"pick|0", "delete"} << QStringList{}
                                              << QStringList{"||"} << QStringList{"||"} << line("", "");
        // An add leaves the pick where it was, a delete asks for a new pick.
        QTest::newRow("delete right after an add, then after another") << two << QStringList{"pick|0", "add|new|9", "delete", "add|c|3", "delete"}
                                                                       << QStringList{noRow} << QStringList{"b|2|", "new|9|", "c|3|"} << QStringList{"b|2|on", "new|9|", "c|3|"}
                                                                       << line("b", "2") + line("new", "9") + line("c", "3");
        // The file grew by hand after start-up: a delete past the main list's end leaves it alone; an add goes to its own end.
        QTest::newRow("rows missing in the main list") << line("a", "1") << QStringList{"reopen|" + two, "pick|1", "delete", "add|c|3"}
            << QStringList{} << QStringList{"a|1|", "c|3|"} << QStringList{"a|1|on", "c|3|"} << line("a", "1") + line("c", "3");
        QTest::newRow("save fails, the change stays") << QByteArray() << QStringList{"unwritable", "add|web|80"}
            << QStringList{SafeSave::failureMessage} << QStringList{"web|80|"} << QStringList{"web|80|"} << QByteArray();
    }
    void editor()
    {
        auto [file, actions, messages, dialogRows, mainRows, saved]
            = fetch<QByteArray, QStringList, QStringList, QStringList, QStringList, QByteArray>("file", "actions", "messages", "dialogRows", "mainRows", "saved");
        TestFolder folder;
        folder.writeBytes(hostFile, file);
        const EventLog log(folder.path());
        HostTableModel main;
        QAbstractItemModelTester mainTester(&main);   // every change told to views as a model must
        HostListFile::load(folder.path(), main);
        for (int row = 0; row < main.rowCount(); ++row)
            main.setStatus(row, main.hosts().at(row).address.isEmpty() ? QString() : QStringLiteral("on"));
        main.setCursor(0);   // where a pass left it
        QStringList shown;
        std::unique_ptr<HostListEditor> editor;
        const auto open = [&] {
            editor = std::make_unique<HostListEditor>(main, folder.path(), log);
            new QAbstractItemModelTester(&editor->hosts(), editor.get());
            connect(editor.get(), &HostListEditor::userMessage, this, [&shown](const QString &text) { shown.append(text); });
        };
        open();
        QSignalSpy changed(&editor->hosts(), &QAbstractItemModel::dataChanged);
        if (saved.isNull())   // the reason, for an operator
            QTest::ignoreMessage(QtWarningMsg, qUtf8Printable("Sentrova: ファイルを保存できません (" + folder.filePath(hostFile) + ": Filename refers to a directory)"));
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
        if (dialogRows == QStringList{"||"})   // the only row blanked, which its views are told
            QCOMPARE(changed.size(), 1);
        if (actions.last() == "delete")
            QCOMPARE(main.cursor(), -1);   // a delete leaves no row under the cursor
        QCOMPARE(folder.readBytes(hostFile), saved);
        QCOMPARE(folder.logMessages(), saved.isNull() ? QStringList{SafeSave::failureLogText} : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestHosts)
#include "tst_hosts.moc"
