#include "app/frmMain.h"
#include "hostconfig/frmHostConfig.h"
#include "monitor/HostListFile.h"
#include "platform/HostGrid.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

namespace
{
const QString noRow = QStringLiteral("ホスト名を選択してから削除してください。");
const QString hostFile = QStringLiteral("Sentrova.ini");
const QStringList headerTexts = {QStringLiteral("IPアドレス"), QStringLiteral("ポート番号"), QStringLiteral("状態")};

QByteArray line(const char *address, const char *port)
{
    return QByteArray("\"") + address + "\",\"" + port + "\"\r\n";
}

QString cell(HostGrid &grid, int row, int column)
{
    grid.setRow(row);
    grid.setColumn(column);
    return grid.text();
}

// The host rows as "address|port|status", after the header row only when
// that is not as it should be.
QStringList rows(HostGrid &grid)
{
    QStringList result;
    for (int row = 0; row < grid.rowCount(); ++row)
        result.append(cell(grid, row, 0) + u'|' + cell(grid, row, 1) + u'|' + cell(grid, row, 2));
    if (result.first() == headerTexts.join(u'|'))
        result.removeFirst();
    return result;
}

// The main window's grid loaded from the file at start-up with every host
// marked running, and the dialog opened over it.
struct Setup
{
    explicit Setup(const QByteArray &file)
    {
        if (!file.isNull())
            folder.writeBytes(hostFile, file);
        for (int column = 0; column < 3; ++column) {
            main.setRow(0);
            main.setColumn(column);
            main.setText(headerTexts.at(column));
        }
        HostListFile::load(folder.path(), main);
        for (int row = 1; row < main.rowCount(); ++row) {
            if (!cell(main, row, 0).isEmpty()) {
                main.setColumn(2);
                main.setText(QStringLiteral("稼働中"));
            }
        }
        open();
    }
    void open()
    {
        dialog = std::make_unique<frmHostConfig>(&main, folder.path(), [this](const QString &text) { logged.append(text); });
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qWarning("the host dialog did not become active");
    }
    template<typename Control> Control *control(const char *name) { return dialog->findChild<Control *>(name); }
    HostGrid &grid() { return *control<HostGrid>("grdHotGrid"); }

    // "add|ADDRESS" (port box as it is), "add|ADDRESS|PORT", "preset|INDEX",
    // "click|ROW", "header" (a click on the header row), "delete",
    // "reopen|FILE" (the file edited by hand, the dialog opened again),
    // "unwritable" (the file replaced by a folder).
    void run(const QString &action)
    {
        const QStringList parts = action.split(u'|');
        QTableWidget *table = grid().table();
        if (parts.at(0) == "add") {
            control<QLineEdit>("txtIpAddress")->setText(parts.at(1));
            if (parts.size() > 2)
                control<QLineEdit>("PortNo")->setText(parts.at(2));
            control<QPushButton>("cmdAdd")->click();
        } else if (parts.at(0) == "preset") {
            control<QComboBox>("cbxPortSel")->setCurrentIndex(parts.at(1).toInt());
            Q_EMIT control<QComboBox>("cbxPortSel")->activated(parts.at(1).toInt());
        } else if (parts.at(0) == "click") {
            const QRect rect = table->visualRect(table->model()->index(parts.at(1).toInt() - 1, 1));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        } else if (parts.at(0) == "header") {
            QHeaderView *top = table->horizontalHeader();
            QTest::mouseClick(top->viewport(), Qt::LeftButton, {}, QPoint(top->sectionViewportPosition(1) + 5, 5));
        } else if (parts.at(0) == "delete") {
            control<QPushButton>("cmdDelete")->click();
        } else if (parts.at(0) == "reopen") {
            control<QPushButton>("Command1")->click();
            if (parts.size() > 1)
                folder.writeBytes(hostFile, parts.at(1).toLatin1());
            open();
        } else if (parts.at(0) == "unwritable") {
            QFile::remove(folder.filePath(hostFile));
            QDir(folder.path()).mkdir(hostFile);
        }
    }

    TestFolder folder;
    HostGrid main;
    QStringList logged;
    std::unique_ptr<frmHostConfig> dialog;
};

// A monitoring pass walks the main grid through its current cell, looks at
// the row count before every host, and lets dialog actions run in between.
struct SimulatedPass
{
    HostGrid &grid;
    int next = 1;
    QStringList probed;
    bool probeNextHost()
    {
        if (next >= grid.rowCount())
            return false;
        probed.append(cell(grid, next, 0));
        grid.setColumn(2);
        grid.setText(QStringLiteral("稼働中"));
        ++next;
        return true;
    }
};
}

class TestHostConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void edits_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("actions");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("dialogRows");
        QTest::addColumn<QStringList>("mainRows");
        QTest::addColumn<QByteArray>("saved");
        const QString noAddress = QStringLiteral("IPアドレスが未入力です。");
        const QString noPort = QStringLiteral("ポート番号が選ばれていません。ポート番号をプルダウンから選ぶか、"
                                              "右のテキストボックスに直接入力してください。");
        const QByteArray db = line("db", "5432"), two = line("a", "1") + line("b", "2");
        const QStringList dbRows{"db|5432|"}, dbRunning{"db|5432|稼働中"}, twoRows{"a|1|", "b|2|"},
                          twoRunning{"a|1|稼働中", "b|2|稼働中"};
        const QByteArray three = two + line("c", "3"), empty = line("", "");
        QTest::newRow("add without address") << db << QStringList{"preset|0", "add|"} << QStringList{noAddress}
                                             << dbRows << dbRunning << db;
        QTest::newRow("add with the placeholder and no port") << db << QStringList{"add|host|"} << QStringList{noPort}
                                                              << dbRows << dbRunning << db;
        QTest::newRow("add with a double quote") << db << QStringList{"add|ho\"st|80"}
                                                 << QStringList{"ホスト名とポート番号に \" (ダブルクォート) は使用できません。"}
                                                 << dbRows << dbRunning << db;
        QTest::newRow("typed port with the placeholder, no file")
            << QByteArray() << QStringList{"add|web|8080"} << QStringList{} << QStringList{"web|8080|"}
            << QStringList{"web|8080|"} << line("web", "8080");
        QTest::newRow("add to an empty list") << empty << QStringList{"add|10.0.0.5|80"} << QStringList{}
                                              << QStringList{"10.0.0.5|80|"} << QStringList{"10.0.0.5|80|"}
                                              << line("10.0.0.5", "80");
        QTest::newRow("appended with an empty status") << db << QStringList{"add|mail|25"} << QStringList{}
                                                       << QStringList{"db|5432|", "mail|25|"}
                                                       << QStringList{"db|5432|稼働中", "mail|25|"} << db + line("mail", "25");
        QTest::newRow("duplicates kept") << db << QStringList{"add|db|5432"} << QStringList{} << dbRows + dbRows
                                         << dbRunning + dbRows << db + db;
        QTest::newRow("port kept after an add") << QByteArray() << QStringList{"preset|3", "add|mx1", "add|mx2"}
                                                << QStringList{} << QStringList{"mx1|25|", "mx2|25|"}
                                                << QStringList{"mx1|25|", "mx2|25|"} << line("mx1", "25") + line("mx2", "25");
        QTest::newRow("IMAP, then the placeholder") << QByteArray() << QStringList{"preset|6", "preset|7", "add|h"}
                                                    << QStringList{} << QStringList{"h|443|"} << QStringList{"h|443|"}
                                                    << line("h", "443");
        // Written by hand, without quotes: the save rewrites it in full.
        QTest::newRow("delete without a click") << QByteArray("a,1\r\nb,2\r\n") << QStringList{"delete"}
                                                << QStringList{noRow} << twoRows << twoRunning << two;
        QTest::newRow("delete after a header click") << two << QStringList{"header", "delete"} << QStringList{noRow}
                                                     << twoRows << twoRunning << two;
        QTest::newRow("delete the only host") << line("a", "1") << QStringList{"click|1", "delete"} << QStringList{}
                                              << QStringList{"||"} << QStringList{"||"} << QByteArray("\"\",\"\"\r\n");
        QTest::newRow("delete the last of several, then again without a click")
            << three << QStringList{"click|3", "delete", "delete"} << QStringList{noRow} << twoRows << twoRunning << two;
        QTest::newRow("delete right after an add") << two << QStringList{"click|1", "add|new|9", "delete"}
                                                   << QStringList{} << twoRows << twoRunning << two;
        QTest::newRow("reopened: the list as saved") << line("a", "1") << QStringList{"add|b|2", "click|1", "delete", "reopen"}
                                                     << QStringList{} << QStringList{"b|2|"} << QStringList{"b|2|"} << line("b", "2");
        // The main grid has fewer rows than the dialog's; its row 1 is
        // blanked, never removed, and a delete past its end touches nothing.
        QTest::newRow("rows missing in the main grid")
            << line("a", "1") << QStringList{"reopen|" + three, "click|3", "delete", "click|1", "delete"}
            << QStringList{} << QStringList{"b|2|"} << QStringList{"||"} << line("b", "2");
        QTest::newRow("save fails, the change stays")
            << QByteArray() << QStringList{"unwritable", "add|web|80"} << QStringList{"環境ファイルのエラーです。サポートにご連絡ください。"}
            << QStringList{"web|80|"} << QStringList{"web|80|"} << QByteArray();
    }
    void edits()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, actions);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, dialogRows);
        QFETCH(QStringList, mainRows);
        QFETCH(QByteArray, saved);
        Setup setup(file);
        for (const QString &action : actions)
            setup.run(action);
        QCOMPARE(setup.folder.takeMessageBoxes(), boxes);
        QCOMPARE(rows(setup.grid()), dialogRows);
        QCOMPARE(rows(setup.main), mainRows);
        QCOMPARE(setup.folder.readBytes(hostFile), saved);
    }

    void editsWhileAPassRuns()
    {
        Setup setup(line("a", "1") + line("b", "2") + line("c", "3") + line("d", "4"));
        SimulatedPass pass{setup.main, 1, {}};
        QVERIFY(pass.probeNextHost());   // a
        for (const char *action : {"click|4", "delete"})   // ahead of the pass
            setup.run(action);
        QVERIFY(pass.probeNextHost());   // b
        for (const char *action : {"click|1", "delete", "add|e|5"})   // behind it
            setup.run(action);
        QVERIFY(pass.probeNextHost());   // e, now row 3
        QVERIFY(!pass.probeNextHost());
        for (int i = 0; i < 3; ++i)
            setup.run("click|1"), setup.run("delete");
        QVERIFY(!pass.probeNextHost());
        QCOMPARE(pass.probed, QStringList({"a", "b", "e"}));
        QCOMPARE(rows(setup.main), QStringList({"||"}));
        // A pass that starts on the empty list and a host added under it.
        SimulatedPass second{setup.main, 1, {}};
        setup.run("add|f|6");
        QVERIFY(second.probeNextHost());
        QCOMPARE(rows(setup.main), QStringList({"f|6|稼働中"}));
        QCOMPARE(rows(setup.grid()), QStringList({"f|6|"}));
    }

    void openedFromTheMenu()
    {
        TestFolder folder;
        folder.writeBytes(hostFile, line("a", "1"));
        frmMain window(folder.path());
        window.show();
        window.findChild<QAction *>("mnuSep1")->trigger();
        QPointer<frmHostConfig> dialog;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<frmHostConfig *>(widget))
                dialog = found;
        }
        QVERIFY(dialog);
        dialog->findChild<QLineEdit *>("txtIpAddress")->setText("b");
        dialog->findChild<QLineEdit *>("PortNo")->setText("2");
        dialog->findChild<QPushButton *>("cmdAdd")->click();
        QCOMPARE(rows(*window.hostGrid()), QStringList({"a|1|", "b|2|"}));
        // A failed save reaches the program's log.
        QVERIFY(QFile::remove(folder.filePath(hostFile)) && QDir(folder.path()).mkdir(hostFile));
        dialog->findChild<QPushButton *>("cmdDelete")->click();
        QCOMPARE(folder.logMessages().last(), QStringLiteral("環境設定ファイルの保存に失敗しました。"));
        window.close();
        QVERIFY(!dialog);
    }
};

QTEST_MAIN(TestHostConfig)
#include "tst_hostconfig.moc"
