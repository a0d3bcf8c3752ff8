#include "app/frmMain.h"
#include "platform/HostGrid.h"
#include "platform/SettingsStore.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace
{
QString cell(HostGrid *grid, int row, int column)
{
    grid->setRow(row);
    grid->setColumn(column);
    return grid->text();
}
}

class TestFrmMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startUpWithNoFiles()
    {
        TestFolder folder;
        frmMain window(folder.path());
        const QStringList log = folder.logMessages();
        QCOMPARE(log.first(), QStringLiteral("Sentrovaを起動しました..."));
        QCOMPARE(log.at(1), QStringLiteral("環境設定ファイルを読み取れません。"));
        QCOMPARE(log.at(2), QStringLiteral("メール送信用環境設定の読み取りに失敗しました。"));
        QCOMPARE(log.last(), QStringLiteral("Sentrova起動完了"));

        QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), QStringLiteral("60"));
        QCOMPARE(SettingsStore::read(QStringLiteral("Interval"), QStringLiteral("Sec"), QString()),
                 QStringLiteral("60"));
        HostGrid *grid = window.findChild<HostGrid *>(QStringLiteral("grdHotGrid"));
        QCOMPARE(grid->rowCount(), 2);
        QCOMPARE(cell(grid, 0, 0), QStringLiteral("IPアドレス"));
        QCOMPARE(cell(grid, 0, 1), QStringLiteral("ポート番号"));
        QCOMPARE(cell(grid, 0, 2), QStringLiteral("状態"));
        QCOMPARE(cell(grid, 1, 0), QString());

        QCOMPARE(window.statusPanel(1)->text(), QStringLiteral("Sentrova v1.0"));
        QCOMPARE(window.findChild<QPushButton *>(QStringLiteral("cmdMonitor"))->text(), QStringLiteral("開始"));
        // The range comes from the box's design text "15", read before the
        // stored interval replaces it.
        QCOMPARE(window.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"))->maximum(), 750);
        QVERIFY(!window.notificationMenuItem()->isChecked());
    }

    void startUpRestoresIntervalAndHosts()
    {
        TestFolder folder;
        SettingsStore::write(QStringLiteral("Interval"), QStringLiteral("Sec"), QStringLiteral("7.5"));
        folder.writeBytes(QStringLiteral("Sentrova.ini"), "\"10.0.0.5\",\"80\"\r\n\"db\",\"5432\"\r\n");
        frmMain window(folder.path());
        QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), QStringLiteral("7.5"));
        QCOMPARE(folder.logMessages().at(1), QStringLiteral("Sentrova環境設定ファイルをロードしました。"));
        HostGrid *grid = window.hostGrid();
        QCOMPARE(grid->rowCount(), 3);
        QCOMPARE(cell(grid, 2, 0), QStringLiteral("db"));
        QCOMPARE(cell(grid, 2, 1), QStringLiteral("5432"));
        QCOMPARE(cell(grid, 2, 2), QString());
    }

    void everyKeystrokeStored()
    {
        TestFolder folder;
        frmMain window(folder.path());
        auto *box = window.findChild<QLineEdit *>(QStringLiteral("Text1"));
        box->clear();
        QTest::keyClicks(box, QStringLiteral("4"));
        QCOMPARE(SettingsStore::read(QStringLiteral("Interval"), QStringLiteral("Sec"), QString()), QStringLiteral("4"));
        QTest::keyClicks(box, QStringLiteral("5"));
        QCOMPARE(SettingsStore::read(QStringLiteral("Interval"), QStringLiteral("Sec"), QString()), QStringLiteral("45"));
    }

    void layoutAndCaptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Label1") << "Label1" << QRect(16, 11, 113, 17) << "サーバー監視間隔";
        QTest::newRow("Text1") << "Text1" << QRect(136, 8, 49, 18) << "";
        QTest::newRow("Label3") << "Label3" << QRect(192, 11, 25, 17) << "秒";
        QTest::newRow("Label2") << "Label2" << QRect(248, 11, 225, 17) << "前回監視時間";
        QTest::newRow("cmdMonitor") << "cmdMonitor" << QRect(504, 4, 57, 25) << "開始";
        QTest::newRow("grdHotGrid") << "grdHotGrid" << QRect(16, 32, 553, 265) << "";
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(16, 304, 553, 17) << "";
        QTest::newRow("StatusBar1") << "StatusBar1" << QRect(0, 320, 576, 17) << "";
    }
    void layoutAndCaptions()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        TestFolder folder;
        frmMain window(folder.path());
        QCOMPARE(window.windowTitle(), QStringLiteral("サーバー監視ユーティリティ"));
        QCOMPARE(window.centralWidget()->size(), QSize(576, 337));
        auto *widget = window.findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        if (auto *label = qobject_cast<QLabel *>(widget))
            QCOMPARE(label->text(), caption);
        if (auto *button = qobject_cast<QPushButton *>(widget))
            QCOMPARE(button->text(), caption);
    }

    // The check mark of 障害通知 shows the switch; choosing the item, also
    // while its dialog is open, must not flip it.
    void notificationMarkFollowsTheSwitch_data()
    {
        QTest::addColumn<QByteArray>("mailConfig");
        QTest::addColumn<bool>("on");
        QTest::newRow("no settings file") << QByteArray() << false;
        QTest::newRow("settings readable")
            << QByteArray("\"smtp.example.jp\",\"a@example.jp\",\"b@example.jp\",\"\",\"\",\"\",\"\"\r\n") << true;
    }
    void notificationMarkFollowsTheSwitch()
    {
        QFETCH(QByteArray, mailConfig);
        QFETCH(bool, on);
        TestFolder folder;
        if (!mailConfig.isEmpty())
            folder.writeBytes(QStringLiteral("MailConfig.ini"), mailConfig);
        frmMain window(folder.path());
        QAction *item = window.notificationMenuItem();
        for (int choice = 0; choice < 3; ++choice) {
            item->trigger();
            QCOMPARE(window.isNotificationOn(), on);
            QCOMPARE(item->isChecked(), on);
        }
    }

    void menuItemsInOrder()
    {
        TestFolder folder;
        frmMain window(folder.path());
        auto *menu = window.findChild<QMenu *>(QStringLiteral("mnuFile"));
        QCOMPARE(menu->title(), QStringLiteral("環境設定"));
        QStringList names, captions;
        for (QAction *action : menu->actions()) {
            names << action->objectName();
            captions << action->text();
        }
        QCOMPARE(names, QStringList({"mnuSep1", "mnuWWW", "mnuNotification", "menuHELP", "mnuExit"}));
        QCOMPARE(captions, QStringList({"ホスト設定", "WWW設定", "障害通知", "ヘルプ", "終了"}));
    }

    void exitThroughMenuAndCloseBox_data()
    {
        QTest::addColumn<bool>("throughMenu");
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("menu") << true << QStringList({"Sentrova起動完了", "終了", "Sentrovaが終了しました。"});
        QTest::newRow("close box") << false << QStringList({"Sentrova起動完了", "Sentrovaが終了しました。"});
    }
    void exitThroughMenuAndCloseBox()
    {
        QFETCH(bool, throughMenu);
        QFETCH(QStringList, tail);
        TestFolder folder;
        frmMain window(folder.path());
        window.show();
        QSignalSpy ended(&window, &frmMain::programEnded);
        if (throughMenu)
            window.findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
        else
            window.close();
        QCOMPARE(ended.count(), 1);
        const QStringList log = folder.logMessages();
        QCOMPARE(log.mid(log.size() - tail.size()), tail);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
