#include "FakeSmtpServer.h"

#include "app/frmMain.h"
#include "notify/MailConfigFile.h"
#include "notify/MailNotification.h"
#include "notify/SmtpReport.h"
#include "notify/frmMailConfig.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

Q_DECLARE_METATYPE(MailSettings)

namespace
{
const QString fileName = QStringLiteral("MailConfig.ini");
const QByteArray goodFile = "\"mx.example.org\",\"s@example.org\",\"a@example.org\",\"\",\"c@example.org\",\"\",\"\"\r\n";
const MailSettings goodSettings{"mx.example.org", "s@example.org", "a@example.org", "", "c@example.org", "", ""};
const char *const boxNames[] = {"txtSMTP", "txtSender", "txtRecepient", "txtRecepient2",
                                "txtRecepient3", "txtRecepient4", "txtRecepient5"};

QLineEdit *box(QWidget *dialog, const char *name) { return dialog->findChild<QLineEdit *>(name); }

void fill(QWidget *dialog, const QStringList &values)
{
    for (int i = 0; i < 7; ++i)
        box(dialog, boxNames[i])->setText(values.value(i));
}

frmMailConfig *openFromMenu(frmMain &window)
{
    window.notificationMenuItem()->trigger();
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *dialog = qobject_cast<frmMailConfig *>(widget); dialog && dialog->isVisible())
            return dialog;
    }
    return nullptr;
}

// NotificationOn and its two indications agree.
bool notificationShown(frmMain &window, bool on)
{
    return window.isNotificationOn() == on && window.notificationMenuItem()->isChecked() == on
        && window.statusPanel(3)->text() == (on ? QStringLiteral("障害通知オン") : QString());
}
}

class TestMailConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileFormat_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<bool>("written");   // the settings are written as these bytes
        QTest::addColumn<MailSettings>("settings");
        QTest::newRow("all empty: 20 characters and CR LF")
            << QByteArray("\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n") << true << true << MailSettings{};
        QTest::newRow("filled") << goodFile << true << true << goodSettings;
        QTest::newRow("cp932 and spaces kept")
            << QByteArray("\" mx \",\"\x8a\xc4\x8e\x8b@example.jp\",\"a\",\"\",\"\",\"\",\"\"\r\n") << true << true
            << MailSettings{" mx ", "監視@example.jp", "a", "", "", "", ""};
        QTest::newRow("comma in a recipient") << QByteArray("\"mx\",\"s\",\"Ops, Tokyo <ops@x>\",\"\",\"\",\"\",\"\"\r\n")
                                              << true << true << MailSettings{"mx", "s", "Ops, Tokyo <ops@x>", "", "", "", ""};
        QTest::newRow("one value a line")
            << QByteArray("mx\r\n  s@x\r\na@x\r\n\"\"\r\nc@x  \r\n\"\"\r\ne@x\r\n") << true << false
            << MailSettings{"mx", "s@x", "a@x", "", "c@x", "", "e@x"};
        QTest::newRow("after the seventh ignored") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\"\r\nmore\r\n")
                                                   << true << false << MailSettings{"1", "2", "3", "4", "5", "6", "7"};
        QTest::newRow("six fields") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n") << false << false << MailSettings{};
        QTest::newRow("empty file") << QByteArray() << false << false << MailSettings{};
    }
    void fileFormat()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QFETCH(bool, written);
        QFETCH(MailSettings, settings);
        QCOMPARE(MailConfigFile::parse(bytes), valid ? std::optional<MailSettings>(settings) : std::nullopt);
        if (written)
            QCOMPARE(MailConfigFile::serialize(settings), bytes);
    }

    void failedLoadKeepsStateAndGoodLoadTurnsOn()
    {
        TestFolder folder;
        folder.writeBytes(fileName, goodFile);
        frmMain window(folder.path());
        QVERIFY(notificationShown(window, true));
        for (bool on : {true, false}) {
            window.mailNotification()->setOn(on);
            folder.writeBytes(fileName, "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n");
            window.LoadSMTPConfig();
            QVERIFY(notificationShown(window, on));
            QCOMPARE(window.mailNotification()->settings(), goodSettings);
            QCOMPARE(folder.logMessages().last(), QStringLiteral("メール送信用環境設定の読み取りに失敗しました。"));
        }
        folder.writeBytes(fileName, goodFile);
        window.LoadSMTPConfig();
        QVERIFY(notificationShown(window, true));
    }

    void failedSaveIsLogged()
    {
        TestFolder folder;
        QStringList log;
        MailNotification mail(folder.filePath("no/such/folder"), [&log](const QString &text) { log.append(text); });
        QSignalSpy indications(&mail, &MailNotification::indicationsChanged);
        QVERIFY(!mail.save());
        QCOMPARE(log, QStringList{"メール送信用環境設定の保存に失敗しました。"});
        QCOMPARE(indications.count(), 0);
    }

    // OK and test buttons check the boxes before anything is stored or sent;
    // the test button then reports what the server said.
    void dialogButtons_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("messageReply");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("file");
        const QString missing = QStringLiteral("必要なパラメータがありません!");
        const QString quote = QStringLiteral("設定値に \" (ダブルクォート) は使用できません。");
        const QStringList good{"127.0.0.1", "s@x", "a@x"};
        const QByteArray goodBytes = "\"127.0.0.1\",\"s@x\",\"a@x\",\"\",\"\",\"\",\"\"\r\n";
        QTest::newRow("server empty") << QStringList{"", "s@x", "a@x"} << "cmdOk" << QByteArray() << missing << QByteArray();
        QTest::newRow("sender empty") << QStringList{"mx", "", "a@x"} << "cmdOk" << QByteArray() << missing << QByteArray();
        QTest::newRow("test, recipient 1 empty") << QStringList{"mx", "s@x", "", "b@x"} << "cmdTest" << QByteArray() << missing
                                                 << QByteArray();
        QTest::newRow("quote in server") << QStringList{"m\"x", "s@x", "a@x"} << "cmdOk" << QByteArray() << quote << QByteArray();
        QTest::newRow("test, quote in recipient 5") << QStringList{"mx", "s@x", "a@x", "", "", "", "e\"@x"} << "cmdTest"
                                                    << QByteArray() << quote << QByteArray();
        QTest::newRow("blanks count as filled") << QStringList{"  ", " ", "   ", "", "r3"} << "cmdOk" << QByteArray() << QString()
                                                << QByteArray("\"  \",\" \",\"   \",\"\",\"r3\",\"\",\"\"\r\n");
        QTest::newRow("test, accepted") << good << "cmdTest" << QByteArray("250 ok\r\n") << "メッセージを送信しました。!" << goodBytes;
        QTest::newRow("test, refused") << good << "cmdTest" << QByteArray("554 5.7.1 spam\r\n")
                                       << "メッセージの送信に失敗しました。イベントログを確認してください。" << goodBytes;
    }
    void dialogButtons()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, button);
        QFETCH(QByteArray, messageReply);
        QFETCH(QString, message);
        QFETCH(QByteArray, file);
        TestFolder folder;
        FakeSmtpServer server;
        server.replies["END"] = {messageReply};
        frmMain window(folder.path());
        window.reportSender()->setPort(server.port());
        frmMailConfig *dialog = openFromMenu(window);
        fill(dialog, values);
        dialog->findChild<QPushButton *>(button)->click();
        QCOMPARE(folder.readBytes(fileName), file);   // saved before the report goes out
        QStringList boxes;
        QTRY_COMPARE(boxes += folder.takeMessageBoxes(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(server.sessions.size(), messageReply.isEmpty() ? 0 : 1);
        QCOMPARE(dialog->isVisible(), file.isEmpty() || button == "cmdTest");
        QCOMPARE(window.isNotificationOn(), !file.isEmpty());
        QCOMPARE(window.statusPanel(3)->text().isEmpty(), file.isEmpty());
    }

    void selectAllOnFocus()
    {
        TestFolder folder;
        frmMain window(folder.path());
        frmMailConfig *dialog = openFromMenu(window);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        fill(dialog, {"mx.example.org", "s@x", "a@x", "", "r3@x"});
        for (const char *name : {"txtSender", "txtRecepient3", "txtSMTP"}) {
            // A click gives the focus and would place the cursor.
            QTest::mouseClick(box(dialog, name), Qt::LeftButton, {}, QPoint(5, box(dialog, name)->height() / 2));
            QTRY_COMPARE(box(dialog, name)->selectedText(), box(dialog, name)->text());
        }
    }

    void stopButtonAndReopening()
    {
        TestFolder folder;
        folder.writeBytes(fileName, goodFile);
        frmMain window(folder.path());
        QPointer<frmMailConfig> dialog = openFromMenu(window);
        QCOMPARE(box(dialog, "txtRecepient3")->text(), QStringLiteral("c@example.org"));
        // The stop button takes nothing from the boxes and writes nothing.
        box(dialog, "txtSMTP")->setText(QStringLiteral("other"));
        const QStringList log = folder.logMessages();
        dialog->findChild<QPushButton *>("cmdDisable")->click();
        QVERIFY(notificationShown(window, false));
        QCOMPARE(folder.logMessages(), log);
        QCOMPARE(folder.readBytes(fileName), goodFile);
        QCOMPARE(window.mailNotification()->settings(), goodSettings);
        QTRY_VERIFY(!dialog);

        dialog = openFromMenu(window);
        QVERIFY(notificationShown(window, true));
        QCOMPARE(folder.logMessages().last(), QStringLiteral("メール送信用環境設定をロードしました。"));
        // A second choice of the menu item brings the same window forward.
        QCOMPARE(openFromMenu(window), dialog.data());
    }
};

QTEST_MAIN(TestMailConfig)
#include "tst_mailconfig.moc"
