#include "app/frmMain.h"
#include "help/HelpText.h"
#include "help/frmHELP.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace
{
bool isRule(const QString &line)
{
    return line.size() >= 10 && line.count(u'=') == line.size();
}

int indexOf(const QStringList &lines, const QString &start, int from = 0)
{
    for (int i = from; i < lines.size(); ++i) {
        if (lines.at(i).startsWith(start))
            return i;
    }
    return -1;
}

// A main window stand-in and a help window over it, both shown and the help
// window active.
struct Windows
{
    Windows()
    {
        main.setWindowTitle(QStringLiteral("main"));
        main.resize(200, 100);
        main.show();
        help = new frmHELP(&main);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->show();
        help->activateWindow();
    }
    ~Windows() { delete help.data(); }

    QWidget main;
    QPointer<frmHELP> help;
};
}

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sectionsInOrder()
    {
        const QStringList lines = HelpText::lines();
        QVERIFY(isRule(lines.first()));
        const int closingRule = [&] {
            for (int i = 1; i < lines.size(); ++i) {
                if (isRule(lines.at(i)))
                    return i;
            }
            return -1;
        }();
        QVERIFY(closingRule > 1);
        // The header block: one "label：value" a line.
        const QStringList block = lines.mid(1, closingRule - 1);
        for (const QString &item : block)
            QVERIFY2(item.contains(u'：'), qPrintable(item));
        const QString header = block.join(u'\n');
        for (const char *value : {"サーバー監視ユーティリティ", "sentrova", "Linux", "Windows 10", "Debian 12",
                                  "メール", "@example.com"})
            QVERIFY2(header.contains(QString::fromUtf8(value)), value);
        for (const char *wrong : {"95", "98", "NT 4.0", "2000", "XP"})
            QVERIFY2(!header.contains(QString::fromUtf8(wrong)), wrong);

        const int intro = indexOf(lines, QStringLiteral("【ソフト紹介】"), closingRule);
        const int setup = indexOf(lines, QStringLiteral("【設定手順】"), intro);
        QVERIFY(intro > closingRule);
        QVERIFY(setup > intro + 1);
        int step = setup;
        for (const char *heading : {"１．ホストの登録", "２．WWW設定", "３．障害通知", "４．監視の開始"}) {
            const int next = indexOf(lines, QString::fromUtf8(heading), step);
            QVERIFY2(next > step, heading);
            // Each step has indented lines under its heading.
            QVERIFY(lines.at(next + 1).startsWith(QStringLiteral("　　")));
            step = next;
        }
        QCOMPARE(lines.last(), QStringLiteral("以上"));
        QCOMPARE(lines.count(QStringLiteral("以上")), 1);
    }

    void windowAndControls()
    {
        Windows windows;
        QCOMPARE(windows.help->windowTitle(), QStringLiteral("HELP"));
        auto *box = windows.help->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
        auto *button = windows.help->findChild<QPushButton *>(QStringLiteral("Command1"));
        QVERIFY(box && button);
        QCOMPARE(button->text(), QStringLiteral("閉じる"));
        QCOMPARE(box->toPlainText(), HelpText::lines().join(u'\n'));
        QCOMPARE(windows.help->size(), QSize(662, 462));
        // The box covers the window but a margin and the button's strip.
        QVERIFY(box->geometry().bottom() < button->geometry().top());
        QVERIFY(qAbs(button->geometry().center().x() - 331) < 10);

        const QRect boxBefore = box->geometry();
        const QRect buttonBefore = button->geometry();
        windows.help->resize(900, 700);
        QCOMPARE(windows.help->size(), QSize(900, 700));
        QCOMPARE(box->geometry(), boxBefore);
        QCOMPARE(button->geometry(), buttonBefore);
    }

    void closeButtonBringsTheMainWindowForward()
    {
        Windows windows;
        QTRY_COMPARE(QApplication::activeWindow(), windows.help.data());
        windows.help->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QTRY_VERIFY(!windows.help);
        QTRY_COMPARE(QApplication::activeWindow(), &windows.main);
    }

    void losingActivationBringsTheMainWindowForward_data()
    {
        QTest::addColumn<bool>("toMainWindow");
        QTest::newRow("to another window of the program") << false;
        QTest::newRow("to the main window") << true;
    }
    void losingActivationBringsTheMainWindowForward()
    {
        QFETCH(bool, toMainWindow);
        Windows windows;
        QWidget other;
        other.setWindowTitle(QStringLiteral("other"));
        other.show();
        windows.help->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), windows.help.data());
        if (toMainWindow)
            windows.main.activateWindow();
        else
            other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &windows.main);
        QVERIFY(windows.help && windows.help->isVisible());
    }

    void closedMainWindowIsNotBroughtBack()
    {
        Windows windows;
        windows.main.close();
        windows.help->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QTRY_VERIFY(!windows.help);
        QVERIFY(!windows.main.isVisible());
    }

    void openedFromTheMenu()
    {
        TestFolder folder;
        frmMain window(folder.path());
        window.show();
        auto *item = window.findChild<QAction *>(QStringLiteral("menuHELP"));
        item->trigger();
        item->trigger();
        QList<frmHELP *> open;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *help = qobject_cast<frmHELP *>(widget); help && help->isVisible())
                open.append(help);
        }
        QCOMPARE(open.size(), 1);
        QPointer<frmHELP> help = open.first();
        QTRY_COMPARE(QApplication::activeWindow(), help.data());
        help->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QTRY_VERIFY(!help);
        QTRY_COMPARE(QApplication::activeWindow(), &window);
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
