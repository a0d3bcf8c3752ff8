#include "app/frmMain.h"
#include "hostconfig/frmHostConfig.h"
#include "monitor/HostListFile.h"
#include "platform/HostGrid.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace
{
const QString noAddress = QStringLiteral("IPアドレスが未入力です。");
const QString noPort = QStringLiteral(
    "ポート番号が選ばれていません。ポート番号をプルダウンから選ぶか、右のテキストボックスに直接入力してください。");
const QString doubleQuote = QStringLiteral("ホスト名とポート番号に \" (ダブルクォート) は使用できません。");
const QString noRow = QStringLiteral("ホスト名を選択してから削除してください。");
const QString hostFile = QStringLiteral("Sentrova.ini");
const QString running = QStringLiteral("稼働中");

QString cell(HostGrid &grid, int row, int column)
{
    grid.setRow(row);
    grid.setColumn(column);
    return grid.text();
}

void setCell(HostGrid &grid, int row, int column, const QString &text)
{
    grid.setRow(row);
    grid.setColumn(column);
    grid.setText(text);
}

// Host rows as "address|port|status".
QStringList rows(HostGrid &grid)
{
    QStringList result;
    for (int row = 1; row < grid.rowCount(); ++row)
        result.append(cell(grid, row, 0) + u'|' + cell(grid, row, 1) + u'|' + cell(grid, row, 2));
    return result;
}

QStringList header(HostGrid &grid)
{
    return {cell(grid, 0, 0), cell(grid, 0, 1), cell(grid, 0, 2)};
}

const QStringList headerTexts = {QStringLiteral("IPアドレス"), QStringLiteral("ポート番号"), QStringLiteral("状態")};

// The main window's grid loaded from the file at start-up, and the dialog
// opened over it.
class Setup
{
public:
    explicit Setup(const QByteArray &file = QByteArray())
    {
        if (!file.isNull())
            folder.writeBytes(hostFile, file);
        main.setRow(0);
        for (int column = 0; column < 3; ++column) {
            main.setColumn(column);
            main.setText(headerTexts.at(column));
        }
        HostListFile::load(folder.path(), main);
        open();
    }

    void open()
    {
        dialog = std::make_unique<frmHostConfig>(&main, folder.path(),
                                                 [this](const QString &text) { logged.append(text); });
        // As the main window's menu shows it.
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog.get()))
            qWarning("the host dialog did not become active");
    }

    template<typename Control>
    Control *control(const char *name)
    {
        return dialog->findChild<Control *>(QString::fromLatin1(name));
    }

    HostGrid &grid() { return *control<HostGrid>("grdHotGrid"); }

    void choosePreset(int index)
    {
        auto *list = control<QComboBox>("cbxPortSel");
        list->setCurrentIndex(index);
        Q_EMIT list->activated(index);
    }

    void add(const QString &address, const QString &port)
    {
        control<QLineEdit>("txtIpAddress")->setText(address);
        control<QLineEdit>("PortNo")->setText(port);
        control<QPushButton>("cmdAdd")->click();
    }

    void clickRow(int row)
    {
        QTableWidget *table = grid().table();
        const QRect rect = table->visualRect(table->model()->index(row - 1, 1));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void clickHeader()
    {
        QHeaderView *top = grid().table()->horizontalHeader();
        QTest::mouseClick(top->viewport(), Qt::LeftButton, {}, QPoint(top->sectionViewportPosition(1) + 5, top->height() / 2));
    }

    void deleteRow() { control<QPushButton>("cmdDelete")->click(); }

    QByteArray file() const { return folder.readBytes(hostFile); }

    TestFolder folder;
    HostGrid main;
    QStringList logged;
    std::unique_ptr<frmHostConfig> dialog;
};

// The monitoring pass walks the main grid through its current cell and lets
// dialog actions run between its hosts; before every host it looks at the row
// count again.
class SimulatedPass
{
public:
    explicit SimulatedPass(HostGrid &grid) : m_grid(grid) {}

    bool probeNextHost()
    {
        if (m_next >= m_grid.rowCount())
            return false;
        m_grid.setRow(m_next);
        m_grid.setColumn(0);
        m_probed.append(m_grid.text());
        m_grid.setColumn(2);
        m_grid.setText(running);
        m_grid.setColumn(0);
        ++m_next;
        return true;
    }

    const QStringList &probed() const { return m_probed; }

private:
    HostGrid &m_grid;
    int m_next = 1;
    QStringList m_probed;
};

QByteArray line(const char *address, const char *port)
{
    return QByteArray("\"") + address + "\",\"" + port + "\"\r\n";
}
}

class TestHostConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void newDialog()
    {
        Setup setup(line("10.0.0.5", "80") + line("mail", "25"));
        QCOMPARE(setup.dialog->windowTitle(), QStringLiteral("ホスト登録"));
        QCOMPARE(setup.dialog->size(), QSize(576, 308));
        auto *list = setup.control<QComboBox>("cbxPortSel");
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries.append(list->itemText(i));
        QCOMPARE(entries, QStringList({"WWW   (80)", "FTP   (21)", "TELNET  (23)", "SMTP  (25)", "DNS   (53)",
                                       "POP3 (110)", "IMAP (443)", "お選びください"}));
        QCOMPARE(list->currentIndex(), 7);
        QCOMPARE(list->currentText(), QStringLiteral("お選びください"));
        QCOMPARE(setup.control<QLineEdit>("txtIpAddress")->text(), QString());
        QCOMPARE(setup.control<QLineEdit>("PortNo")->text(), QString());
        QCOMPARE(header(setup.grid()), headerTexts);
        QCOMPARE(rows(setup.grid()), QStringList({"10.0.0.5|80|", "mail|25|"}));
        QTRY_COMPARE(QApplication::focusWidget(), setup.control<QLineEdit>("txtIpAddress"));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Label2") << "Label2" << QRect(16, 11, 65, 17) << "IPアドレス";
        QTest::newRow("txtIpAddress") << "txtIpAddress" << QRect(80, 8, 177, 19) << "";
        QTest::newRow("Label1") << "Label1" << QRect(280, 11, 65, 17) << "ポート番号";
        QTest::newRow("cbxPortSel") << "cbxPortSel" << QRect(352, 8, 105, 20) << "";
        QTest::newRow("PortNo") << "PortNo" << QRect(470, 8, 97, 18) << "";
        QTest::newRow("grdHotGrid") << "grdHotGrid" << QRect(8, 40, 561, 217) << "";
        QTest::newRow("cmdAdd") << "cmdAdd" << QRect(128, 272, 105, 25) << "ホスト追加";
        QTest::newRow("cmdDelete") << "cmdDelete" << QRect(256, 272, 105, 25) << "リスト削除";
        QTest::newRow("Command1") << "Command1" << QRect(384, 272, 105, 25) << "設定終了";
    }
    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        Setup setup;
        auto *widget = setup.dialog->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        if (auto *label = qobject_cast<QLabel *>(widget))
            QCOMPARE(label->text(), caption);
        if (auto *button = qobject_cast<QPushButton *>(widget))
            QCOMPARE(button->text(), caption);
    }

    void tabOrder()
    {
        Setup setup;
        const QStringList order = {"txtIpAddress", "cbxPortSel", "cmdAdd", "cmdDelete", "PortNo", "Command1", "grdHotGrid"};
        QTRY_COMPARE(QApplication::focusWidget(), setup.control<QLineEdit>("txtIpAddress"));
        QStringList visited;
        for (int i = 0; i < order.size(); ++i) {
            QWidget *focus = QApplication::focusWidget();
            while (focus && !order.contains(focus->objectName()))
                focus = focus->parentWidget();
            visited.append(focus ? focus->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(visited, order);
    }

    void presetFillsPortBox_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("port");
        const QStringList ports = {"80", "21", "23", "25", "53", "110", "443"};
        for (int i = 0; i < ports.size(); ++i)
            QTest::addRow("entry %d", i) << i << ports.at(i);
    }
    void presetFillsPortBox()
    {
        QFETCH(int, index);
        QFETCH(QString, port);
        Setup setup;
        auto *box = setup.control<QLineEdit>("PortNo");
        box->setText(QStringLiteral("8080"));
        setup.choosePreset(index);
        QCOMPARE(box->text(), port);
        // The placeholder keeps whatever port was chosen before.
        setup.choosePreset(7);
        QCOMPARE(box->text(), port);
    }

    void addRefused_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("message");
        QTest::newRow("no address") << "" << 7 << "" << noAddress;
        QTest::newRow("no address, port chosen") << "" << 0 << "80" << noAddress;
        QTest::newRow("placeholder and no port") << "host" << 7 << "" << noPort;
        QTest::newRow("preset chosen, port box cleared") << "host" << 0 << "" << noPort;
        QTest::newRow("quote in address") << "ho\"st" << 0 << "80" << doubleQuote;
        QTest::newRow("quote in port") << "host" << 7 << "8\"0" << doubleQuote;
    }
    void addRefused()
    {
        QFETCH(QString, address);
        QFETCH(int, preset);
        QFETCH(QString, port);
        QFETCH(QString, message);
        const QByteArray before = line("db", "5432");
        Setup setup(before);
        setCell(setup.main, 1, 2, running);
        setup.choosePreset(preset);
        setup.add(address, port);
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList({message}));
        QCOMPARE(rows(setup.grid()), QStringList({"db|5432|"}));
        QCOMPARE(rows(setup.main), QStringList({"db|5432|稼働中"}));
        QCOMPARE(setup.file(), before);
        QCOMPARE(setup.control<QLineEdit>("txtIpAddress")->text(), address);
    }

    void addAccepted_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("adds");   // "address|port" each
        QTest::addColumn<QStringList>("dialogRows");
        QTest::addColumn<QStringList>("mainRows");
        QTest::addColumn<QByteArray>("saved");
        QTest::newRow("no file, typed port with the placeholder")
            << QByteArray() << QStringList({"web|8080"}) << QStringList({"web|8080|"}) << QStringList({"web|8080|"})
            << line("web", "8080");
        QTest::newRow("empty list")
            << line("", "") << QStringList({"10.0.0.5|80"}) << QStringList({"10.0.0.5|80|"})
            << QStringList({"10.0.0.5|80|"}) << line("10.0.0.5", "80");
        QTest::newRow("appended to a list")
            << line("db", "5432") << QStringList({"mail|25"}) << QStringList({"db|5432|", "mail|25|"})
            << QStringList({"db|5432|稼働中", "mail|25|"}) << line("db", "5432") + line("mail", "25");
        QTest::newRow("duplicates kept")
            << line("db", "5432") << QStringList({"db|5432"}) << QStringList({"db|5432|", "db|5432|"})
            << QStringList({"db|5432|稼働中", "db|5432|"}) << line("db", "5432") + line("db", "5432");
        QTest::newRow("blanks are an address, port not a number")
            << QByteArray() << QStringList({" |http"}) << QStringList({" |http|"}) << QStringList({" |http|"})
            << line(" ", "http");
    }
    void addAccepted()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, adds);
        QFETCH(QStringList, dialogRows);
        QFETCH(QStringList, mainRows);
        QFETCH(QByteArray, saved);
        Setup setup(file);
        if (!cell(setup.main, 1, 1).isEmpty())
            setCell(setup.main, 1, 2, running);
        for (const QString &add : adds)
            setup.add(add.section(u'|', 0, 0), add.section(u'|', 1));
        // The added row is current in both grids (read before the checks
        // below walk the grids).
        QCOMPARE(setup.grid().row(), setup.grid().rowCount() - 1);
        QCOMPARE(setup.main.row(), setup.main.rowCount() - 1);
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList());
        QCOMPARE(rows(setup.grid()), dialogRows);
        QCOMPARE(rows(setup.main), mainRows);
        QCOMPARE(setup.file(), saved);
        QCOMPARE(header(setup.main), headerTexts);
    }

    void portKeptForTheNextAdd()
    {
        Setup setup;
        setup.choosePreset(3);
        setup.add(QStringLiteral("mx1"), setup.control<QLineEdit>("PortNo")->text());
        QCOMPARE(setup.control<QLineEdit>("txtIpAddress")->text(), QString());
        QCOMPARE(setup.control<QLineEdit>("PortNo")->text(), QStringLiteral("25"));
        QCOMPARE(setup.control<QComboBox>("cbxPortSel")->currentIndex(), 3);
        setup.control<QLineEdit>("txtIpAddress")->setText(QStringLiteral("mx2"));
        setup.control<QPushButton>("cmdAdd")->click();
        QCOMPARE(rows(setup.main), QStringList({"mx1|25|", "mx2|25|"}));
    }

    void deleteWithoutClickStillSaves()
    {
        // Written by hand, without quotes: the save rewrites it in full form.
        Setup setup("a,1\r\nb,2\r\n");
        setup.deleteRow();
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList({noRow}));
        QCOMPARE(rows(setup.grid()), QStringList({"a|1|", "b|2|"}));
        QCOMPARE(rows(setup.main), QStringList({"a|1|", "b|2|"}));
        QCOMPARE(setup.file(), line("a", "1") + line("b", "2"));
    }

    void deleteRow_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QStringList>("dialogRows");
        QTest::addColumn<QStringList>("mainRows");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray three = line("a", "1") + line("b", "2") + line("c", "3");
        QTest::newRow("the only host") << line("a", "1") << 1 << QStringList({"||"}) << QStringList({"||"})
                                       << QByteArray("\"\",\"\"\r\n");
        QTest::newRow("last of several") << three << 3 << QStringList({"a|1|", "b|2|"})
                                         << QStringList({"a|1|稼働中", "b|2|稼働中"}) << line("a", "1") + line("b", "2");
        QTest::newRow("first of several") << three << 1 << QStringList({"b|2|", "c|3|"})
                                          << QStringList({"b|2|稼働中", "c|3|稼働中"}) << line("b", "2") + line("c", "3");
        QTest::newRow("middle") << three << 2 << QStringList({"a|1|", "c|3|"})
                                << QStringList({"a|1|稼働中", "c|3|稼働中"}) << line("a", "1") + line("c", "3");
    }
    void deleteRow()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, clicked);
        QFETCH(QStringList, dialogRows);
        QFETCH(QStringList, mainRows);
        QFETCH(QByteArray, saved);
        Setup setup(file);
        for (int row = 1; row < setup.main.rowCount(); ++row)
            setCell(setup.main, row, 2, running);
        setup.clickRow(clicked);
        QVERIFY(setup.dialog->editor().isRowClicked());
        setup.deleteRow();
        QCOMPARE(setup.grid().row(), 0);
        QCOMPARE(setup.main.row(), 0);
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList());
        QCOMPARE(rows(setup.grid()), dialogRows);
        QCOMPARE(rows(setup.main), mainRows);
        QCOMPARE(setup.file(), saved);
        QCOMPARE(header(setup.grid()), headerTexts);
        QCOMPARE(header(setup.main), headerTexts);

        // A second delete without a new click has nothing picked.
        setup.deleteRow();
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList({noRow}));
        QCOMPARE(rows(setup.grid()), dialogRows);
        QCOMPARE(setup.file(), saved);
    }

    void deleteAfterHeaderClickRemovesNothing()
    {
        Setup setup(line("a", "1") + line("b", "2"));
        setup.clickHeader();
        QVERIFY(setup.dialog->editor().isRowClicked());
        setup.deleteRow();
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList({noRow}));
        QCOMPARE(rows(setup.grid()), QStringList({"a|1|", "b|2|"}));
        QCOMPARE(rows(setup.main), QStringList({"a|1|", "b|2|"}));
        QCOMPARE(header(setup.grid()), headerTexts);
    }

    void deleteRightAfterAddRemovesTheAddedRow()
    {
        Setup setup(line("a", "1") + line("b", "2"));
        setup.clickRow(1);
        setup.add(QStringLiteral("new"), QStringLiteral("9"));
        setup.deleteRow();
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList());
        QCOMPARE(rows(setup.grid()), QStringList({"a|1|", "b|2|"}));
        QCOMPARE(rows(setup.main), QStringList({"a|1|", "b|2|"}));
        QCOMPARE(setup.file(), line("a", "1") + line("b", "2"));
    }

    void reopenShowsTheListAsSaved()
    {
        Setup setup(line("a", "1"));
        setup.add(QStringLiteral("b"), QStringLiteral("2"));
        setup.clickRow(1);
        setup.deleteRow();
        setup.choosePreset(6);
        setup.control<QPushButton>("Command1")->click();
        QVERIFY(!setup.dialog->isVisible());
        setup.open();
        QCOMPARE(rows(setup.grid()), QStringList({"b|2|"}));
        QCOMPARE(setup.control<QComboBox>("cbxPortSel")->currentIndex(), 7);
        QCOMPARE(setup.control<QLineEdit>("PortNo")->text(), QString());
        QVERIFY(!setup.dialog->editor().isRowClicked());
    }

    // The file was edited by hand after start-up: the main grid has fewer
    // rows than the dialog's.
    void rowsMissingInTheMainGrid()
    {
        Setup setup(line("a", "1"));
        setCell(setup.main, 1, 2, running);
        setup.folder.writeBytes(hostFile, line("a", "1") + line("b", "2") + line("c", "3"));
        setup.open();

        setup.clickRow(3);
        setup.deleteRow();
        QCOMPARE(rows(setup.grid()), QStringList({"a|1|", "b|2|"}));
        QCOMPARE(rows(setup.main), QStringList({"a|1|稼働中"}));
        QCOMPARE(setup.file(), line("a", "1") + line("b", "2"));

        // The new host reaches the main grid in its own new row.
        setup.add(QStringLiteral("d"), QStringLiteral("4"));
        QCOMPARE(rows(setup.grid()), QStringList({"a|1|", "b|2|", "d|4|"}));
        QCOMPARE(rows(setup.main), QStringList({"a|1|稼働中", "d|4|"}));

        // Row 1 of a main grid with a single host is blanked, never removed.
        setup.clickRow(1);
        setup.deleteRow();
        QCOMPARE(rows(setup.grid()), QStringList({"b|2|", "d|4|"}));
        QCOMPARE(rows(setup.main), QStringList({"d|4|"}));
        setup.clickRow(2);
        setup.deleteRow();
        QCOMPARE(setup.main.rowCount(), 2);
        QCOMPARE(rows(setup.main), QStringList({"d|4|"}));
        QCOMPARE(header(setup.main), headerTexts);
    }

    void editsWhileAPassRuns()
    {
        Setup setup(line("a", "1") + line("b", "2") + line("c", "3") + line("d", "4"));
        SimulatedPass pass(setup.main);
        QVERIFY(pass.probeNextHost());          // a
        setup.clickRow(4);
        setup.deleteRow();                      // d, ahead of the pass
        QVERIFY(pass.probeNextHost());          // b
        setup.clickRow(1);
        setup.deleteRow();                      // a, behind the pass
        setup.add(QStringLiteral("e"), QStringLiteral("5"));
        QVERIFY(pass.probeNextHost());          // e: row 3 now
        QVERIFY(!pass.probeNextHost());
        setup.clickRow(1);
        setup.deleteRow();
        setup.clickRow(1);
        setup.deleteRow();
        setup.clickRow(1);
        setup.deleteRow();                      // the list is empty now
        QVERIFY(!pass.probeNextHost());
        QCOMPARE(pass.probed(), QStringList({"a", "b", "e"}));
        QCOMPARE(rows(setup.main), QStringList({"||"}));
        QCOMPARE(rows(setup.grid()), QStringList({"||"}));
        QCOMPARE(header(setup.main), headerTexts);
        QCOMPARE(setup.file(), QByteArray("\"\",\"\"\r\n"));

        // A pass that starts on the empty list and a host added under it.
        SimulatedPass second(setup.main);
        setup.add(QStringLiteral("f"), QStringLiteral("6"));
        QVERIFY(second.probeNextHost());
        QCOMPARE(second.probed(), QStringList({"f"}));
        QCOMPARE(rows(setup.main), QStringList({"f|6|稼働中"}));
        QCOMPARE(rows(setup.grid()), QStringList({"f|6|"}));
    }

    void saveFailureKeepsTheChange()
    {
        Setup setup;
        // A folder where the file should be: nothing can replace it.
        QVERIFY(QDir(setup.folder.path()).mkdir(hostFile));
        setup.add(QStringLiteral("web"), QStringLiteral("80"));
        QCOMPARE(setup.logged, QStringList({"環境設定ファイルの保存に失敗しました。"}));
        QCOMPARE(setup.folder.takeMessageBoxes(), QStringList({"環境ファイルのエラーです。サポートにご連絡ください。"}));
        QCOMPARE(rows(setup.grid()), QStringList({"web|80|"}));
        QCOMPARE(rows(setup.main), QStringList({"web|80|"}));
        // The selected row survives the save.
        QCOMPARE(setup.grid().row(), 1);
    }

    void openedFromTheMenu()
    {
        TestFolder folder;
        folder.writeBytes(hostFile, line("a", "1"));
        frmMain window(folder.path());
        window.show();
        auto *item = window.findChild<QAction *>(QStringLiteral("mnuSep1"));
        item->trigger();
        auto *dialog = window.findChild<frmHostConfig *>();
        QVERIFY(!dialog);   // no owner: a window of its own
        QPointer<frmHostConfig> first;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<frmHostConfig *>(widget))
                first = found;
        }
        QVERIFY(first);
        QVERIFY(first->isVisible());
        item->trigger();
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += qobject_cast<frmHostConfig *>(widget) && widget->isVisible() ? 1 : 0;
        QCOMPARE(count, 1);

        first->findChild<QLineEdit *>(QStringLiteral("txtIpAddress"))->setText(QStringLiteral("b"));
        first->findChild<QLineEdit *>(QStringLiteral("PortNo"))->setText(QStringLiteral("2"));
        first->findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
        QCOMPARE(rows(*window.hostGrid()), QStringList({"a|1|", "b|2|"}));

        // A failed save reaches the program's log.
        QVERIFY(QFile::remove(folder.filePath(hostFile)));
        QVERIFY(QDir(folder.path()).mkdir(hostFile));
        first->findChild<QPushButton *>(QStringLiteral("cmdDelete"))->click();
        QCOMPARE(folder.logMessages().last(), QStringLiteral("環境設定ファイルの保存に失敗しました。"));

        first->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QTRY_VERIFY(!first);
        item->trigger();
        QPointer<frmHostConfig> second;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<frmHostConfig *>(widget))
                second = found;
        }
        QVERIFY(second);
        window.close();
        QVERIFY(!second);
    }
};

QTEST_MAIN(TestHostConfig)
#include "tst_hostconfig.moc"
