#include "app/frmMain.h"
#include "platform/HostGrid.h"
#include "platform/SettingsStore.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace
{
QStringList rowTexts(HostGrid *grid, int row)
{
    QStringList texts;
    grid->setRow(row);
    for (int column = 0; column < 3; ++column) {
        grid->setColumn(column);
        texts.append(grid->text());
    }
    return texts;
}

QString storedInterval()
{
    return SettingsStore::read(QStringLiteral("Interval"), QStringLiteral("Sec"), QString());
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
        QCOMPARE(folder.logMessages(), QStringList({"Sentrovaを起動しました...", "環境設定ファイルを読み取れません。",
                                                    "メール送信用環境設定の読み取りに失敗しました。", "Sentrova起動完了"}));
        QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), QStringLiteral("60"));
        QCOMPARE(storedInterval(), QStringLiteral("60"));
        QCOMPARE(window.hostGrid()->rowCount(), 2);
        QCOMPARE(rowTexts(window.hostGrid(), 0), QStringList({"IPアドレス", "ポート番号", "状態"}));
        QCOMPARE(rowTexts(window.hostGrid(), 1), QStringList({"", "", ""}));
    }

    void startUpRestoresIntervalAndHosts()
    {
        TestFolder folder;
        SettingsStore::write(QStringLiteral("Interval"), QStringLiteral("Sec"), QStringLiteral("7.5"));
        folder.writeBytes(QStringLiteral("Sentrova.ini"), "\"10.0.0.5\",\"80\"\r\n\"db\",\"5432\"\r\n");
        frmMain window(folder.path());
        QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("Text1"))->text(), QStringLiteral("7.5"));
        QCOMPARE(folder.logMessages().at(1), QStringLiteral("Sentrova環境設定ファイルをロードしました。"));
        QCOMPARE(window.hostGrid()->rowCount(), 3);
        QCOMPARE(rowTexts(window.hostGrid(), 2), QStringList({"db", "5432", ""}));
    }

    void everyKeystrokeStored()
    {
        TestFolder folder;
        frmMain window(folder.path());
        auto *box = window.findChild<QLineEdit *>(QStringLiteral("Text1"));
        box->clear();
        for (const QString &expected : {QStringLiteral("4"), QStringLiteral("45")}) {
            QTest::keyClicks(box, expected.right(1));
            QCOMPARE(storedInterval(), expected);
        }
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
        for (int choice = 0; choice < 3; ++choice) {
            QCOMPARE(window.isNotificationOn(), on);
            QCOMPARE(window.notificationMenuItem()->isChecked(), on);
            window.notificationMenuItem()->trigger();
        }
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
        QCOMPARE(folder.logMessages().mid(folder.logMessages().size() - tail.size()), tail);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
