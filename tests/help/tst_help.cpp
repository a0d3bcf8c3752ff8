#include "help/HelpText.h"
#include "help/frmHELP.h"

#include <QApplication>
#include <QPushButton>
#include <QtTest>

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sectionsInOrder()
    {
        const QStringList lines = HelpText::lines();
        const auto isRule = [](const QString &line) { return line.size() >= 10 && line.count(u'=') == line.size(); };
        QVERIFY(isRule(lines.first()));
        // The header block between two rules: one "label：value" a line.
        int at = 1;
        for (; at < lines.size() && !isRule(lines.at(at)); ++at)
            QVERIFY2(lines.at(at).contains(u'：'), qPrintable(lines.at(at)));
        const QString header = lines.mid(1, at - 1).join(u'\n');
        for (const char *value : {"サーバー監視ユーティリティ", "Linux", "Debian 12", "@example.com"})
            QVERIFY2(header.contains(QString::fromUtf8(value)), value);
        for (const char *heading : {"【ソフト紹介】", "【設定手順】", "１．ホストの登録", "２．WWW設定", "３．障害通知", "４．監視の開始"}) {
            const auto next = std::find_if(lines.cbegin() + at + 1, lines.cend(),
                                           [heading](const QString &line) { return line.startsWith(QString::fromUtf8(heading)); });
            QVERIFY2(next != lines.cend(), heading);
            at = int(next - lines.cbegin());
        }
        QVERIFY(lines.at(at + 1).startsWith(QStringLiteral("　　")));   // the steps are indented
        QCOMPARE(lines.last(), QStringLiteral("以上"));
    }

    // The help window never stays in front of the main window.
    void mainWindowBroughtForward_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close button") << "close";
        QTest::newRow("another window of the program activated") << "other";
        QTest::newRow("the main window activated") << "main";
        QTest::newRow("closed main window stays closed") << "main closed";
    }
    void mainWindowBroughtForward()
    {
        QFETCH(QString, how);
        QWidget main, other;
        main.show();
        other.show();
        QPointer<frmHELP> help = new frmHELP(&main);
        help->setAttribute(Qt::WA_DeleteOnClose);
        help->show();
        help->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), help.data());
        if (how == "other" || how == "main") {
            (how == "main" ? main : other).activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), &main);
            QVERIFY(help && help->isVisible());
            delete help;
            return;
        }
        if (how == "main closed")
            main.close();
        help->findChild<QPushButton *>("Command1")->click();
        QTRY_VERIFY(!help);
        if (how == "close")
            QTRY_COMPARE(QApplication::activeWindow(), &main);
        QCOMPARE(main.isVisible(), how == "close");
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
