#include "FakeSmtpServer.h"

#include "app/frmMain.h"
#include "notify/MailConfigFile.h"
#include "notify/MailNotification.h"
#include "notify/SmtpReport.h"
#include "notify/frmMailConfig.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace
{
const QString fileName = QStringLiteral("MailConfig.ini");
const QByteArray goodFile = "\"mx.example.org\",\"s@example.org\",\"a@example.org\",\"\",\"c@example.org\",\"\",\"\"\r\n";
const char *const boxNames[] = {"txtSMTP", "txtSender", "txtRecepient", "txtRecepient2",
                                "txtRecepient3", "txtRecepient4", "txtRecepient5"};

QLineEdit *box(QWidget *dialog, const char *name)
{
    return dialog->findChild<QLineEdit *>(QString::fromLatin1(name));
}

QPushButton *button(QWidget *dialog, const char *name)
{
    return dialog->findChild<QPushButton *>(QString::fromLatin1(name));
}

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

// A dialog on its own, with a report function that records its calls.
struct Rig
{
    TestFolder folder;
    QStringList log;
    MailNotification mail{folder.path(), [this](const QString &text) { log.append(text); }};
    QStringList reports;
    QByteArray fileWhenReported;
    bool accept = true;
    frmMailConfig dialog{mail, [this](const QString &downSystem, std::function<void(bool)> done) {
                             reports.append(downSystem);
                             fileWhenReported = folder.readBytes(fileName);
                             done(accept);
                         }};
};
}

class TestFrmMailConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controls()
    {
        Rig rig;
        rig.dialog.show();
        QCOMPARE(rig.dialog.windowTitle(), QStringLiteral("Sentrova 環境設定"));
        QCOMPARE(rig.dialog.findChild<QGroupBox *>("Frame1")->title(), QStringLiteral("メール設定"));
        QCOMPARE(rig.dialog.findChild<QGroupBox *>("Frame2")->title(), QStringLiteral("受信者"));
        QCOMPARE(rig.dialog.findChild<QLabel *>("Label1")->text(), QStringLiteral("SMTPサーバー"));
        QCOMPARE(rig.dialog.findChild<QLabel *>("Label3")->text(), QStringLiteral("送信者のアドレス"));
        QStringList recipientLabels;
        for (QLabel *label : rig.dialog.findChildren<QLabel *>("Label4"))
            recipientLabels.insert(label->property("index").toInt(), label->text());
        QCOMPARE(recipientLabels, (QStringList{"受信者1", "受信者2", "受信者3", "受信者4", "受信者5"}));

        QPushButton *stop = button(&rig.dialog, "cmdDisable");
        QPushButton *test = button(&rig.dialog, "cmdTest");
        QPushButton *ok = button(&rig.dialog, "cmdOk");
        QCOMPARE((QStringList{stop->text(), test->text(), ok->text()}),
                 (QStringList{"送信を停止する", "テスト送信", "設定終了"}));
        // One row under the recipients, left to right, all the same size.
        QCOMPARE(stop->size(), test->size());
        QCOMPARE(test->size(), ok->size());
        QCOMPARE(stop->y(), ok->y());
        QVERIFY(stop->x() < test->x() && test->x() < ok->x());
        QVERIFY(stop->mapTo(&rig.dialog, QPoint()).y() > rig.dialog.findChild<QGroupBox *>("Frame2")->geometry().bottom());
        for (QPushButton *b : {stop, test, ok})
            QVERIFY(b->width() >= b->sizeHint().width());

        QStringList order;
        QWidget *widget = box(&rig.dialog, "txtSMTP");
        while (order.size() < 10) {
            if (widget->focusPolicy() & Qt::TabFocus)
                order.append(widget->objectName());
            widget = widget->nextInFocusChain();
        }
        QCOMPARE(order, (QStringList{"txtSMTP", "txtSender", "txtRecepient", "cmdOk", "cmdTest", "cmdDisable",
                                     "txtRecepient2", "txtRecepient3", "txtRecepient4", "txtRecepient5"}));
    }

    void requiredFields_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<bool>("throughTest");
        const QStringList full{"mx", "s@x", "a@x", "", "", "", ""};
        for (bool throughTest : {false, true}) {
            const char *const buttonName = throughTest ? "test" : "ok";
            for (int slot : {0, 1, 2}) {
                QStringList values = full;
                values[slot].clear();
                QTest::addRow("%s, %s empty", buttonName, boxNames[slot]) << values << throughTest;
            }
        }
    }
    void requiredFields()
    {
        QFETCH(QStringList, values);
        QFETCH(bool, throughTest);
        Rig rig;
        rig.dialog.show();
        fill(&rig.dialog, values);
        button(&rig.dialog, throughTest ? "cmdTest" : "cmdOk")->click();
        QCOMPARE(rig.folder.takeMessageBoxes(), QStringList{"必要なパラメータがありません!"});
        QVERIFY(rig.dialog.isVisible());
        QVERIFY(rig.folder.readBytes(fileName).isEmpty());
        QVERIFY(rig.reports.isEmpty());
        QVERIFY(!rig.mail.isOn());
        // The entered values stay in memory, unsaved.
        QCOMPARE(rig.mail.settings().SMTPServer, values.at(0));
        QCOMPARE(rig.mail.settings().Recipient1, values.at(2));
    }

    void blanksCountAsFilled()
    {
        Rig rig;
        rig.dialog.show();
        fill(&rig.dialog, {"  ", " ", "   ", "", "r3", "", ""});
        button(&rig.dialog, "cmdOk")->click();
        QVERIFY(rig.folder.takeMessageBoxes().isEmpty());
        QCOMPARE(rig.folder.readBytes(fileName), QByteArray("\"  \",\" \",\"   \",\"\",\"r3\",\"\",\"\"\r\n"));
        QVERIFY(rig.mail.isOn());
        QVERIFY(!rig.dialog.isVisible());
        QCOMPARE(rig.log.last(), QStringLiteral("メール設定を保存しました。"));
    }

    void doubleQuoteRefused_data()
    {
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("throughTest");
        QTest::newRow("server, ok") << 0 << false;
        QTest::newRow("recipient 5, test") << 6 << true;
    }
    void doubleQuoteRefused()
    {
        QFETCH(int, slot);
        QFETCH(bool, throughTest);
        Rig rig;
        rig.folder.writeBytes(fileName, goodFile);
        rig.mail.load();
        const MailSettings before = rig.mail.settings();
        rig.dialog.show();
        QStringList values{"mx", "s@x", "a@x", "", "", "", ""};
        values[slot] = QStringLiteral("a\"b@x");
        fill(&rig.dialog, values);
        button(&rig.dialog, throughTest ? "cmdTest" : "cmdOk")->click();
        QCOMPARE(rig.folder.takeMessageBoxes(), QStringList{"設定値に \" (ダブルクォート) は使用できません。"});
        QCOMPARE(rig.folder.readBytes(fileName), goodFile);
        QCOMPARE(rig.mail.settings(), before);
        QVERIFY(rig.reports.isEmpty());
        QVERIFY(rig.dialog.isVisible());
    }

    void testButtonSavesThenReportsTruthfully_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("message");
        QTest::newRow("accepted") << true << "メッセージを送信しました。!";
        QTest::newRow("failed") << false << "メッセージの送信に失敗しました。イベントログを確認してください。";
    }
    void testButtonSavesThenReportsTruthfully()
    {
        QFETCH(bool, accepted);
        QFETCH(QString, message);
        Rig rig;
        rig.accept = accepted;
        rig.dialog.show();
        fill(&rig.dialog, {"mx", "s@x", "a@x", "", "", "", ""});
        button(&rig.dialog, "cmdTest")->click();
        QCOMPARE(rig.reports, QStringList{"システムテスト"});
        QCOMPARE(rig.fileWhenReported, QByteArray("\"mx\",\"s@x\",\"a@x\",\"\",\"\",\"\",\"\"\r\n"));
        QCOMPARE(rig.folder.takeMessageBoxes(), QStringList{message});
        QVERIFY(rig.mail.isOn());
        QVERIFY(rig.dialog.isVisible());
    }

    void selectAllOnFocus()
    {
        Rig rig;
        rig.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.dialog));
        fill(&rig.dialog, {"mx.example.org", "s@x", "a@x", "", "r3@x", "", ""});
        for (const char *name : {"txtSender", "txtRecepient3", "txtSMTP"}) {
            QLineEdit *target = box(&rig.dialog, name);
            // A click gives the focus and would place the cursor.
            QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, target->height() / 2));
            QTRY_COMPARE(target->selectedText(), target->text());
        }
    }

    void stopButtonAndReopening()
    {
        TestFolder folder;
        folder.writeBytes(fileName, goodFile);
        frmMain window(folder.path());
        QVERIFY(window.isNotificationOn());

        frmMailConfig *dialog = openFromMenu(window);
        QVERIFY(dialog);
        QCOMPARE(box(dialog, "txtSMTP")->text(), QStringLiteral("mx.example.org"));
        QCOMPARE(box(dialog, "txtRecepient3")->text(), QStringLiteral("c@example.org"));
        // The stop button takes nothing from the boxes.
        box(dialog, "txtSMTP")->setText(QStringLiteral("other"));
        const int logLines = int(folder.logMessages().size());
        QPointer<frmMailConfig> closing(dialog);
        button(dialog, "cmdDisable")->click();
        QVERIFY(!window.isNotificationOn());
        QVERIFY(!window.notificationMenuItem()->isChecked());
        QCOMPARE(window.statusPanel(3)->text(), QString());
        QCOMPARE(folder.logMessages().size(), logLines);
        QCOMPARE(folder.readBytes(fileName), goodFile);
        QCOMPARE(window.mailNotification()->settings().SMTPServer, QStringLiteral("mx.example.org"));
        QTRY_VERIFY(!closing);

        dialog = openFromMenu(window);
        QVERIFY(dialog);
        QVERIFY(window.isNotificationOn());
        QVERIFY(window.notificationMenuItem()->isChecked());
        QCOMPARE(window.statusPanel(3)->text(), QStringLiteral("障害通知オン"));
        QCOMPARE(folder.logMessages().last(), QStringLiteral("メール送信用環境設定をロードしました。"));
        // A second choice of the menu item brings the same window forward.
        QCOMPARE(openFromMenu(window), dialog);
    }

    void testReportThroughMainWindow_data()
    {
        QTest::addColumn<QByteArray>("messageReply");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("lastLog");
        QTest::newRow("accepted") << QByteArray("250 ok\r\n") << "メッセージを送信しました。!"
                                  << "システムテストサーバー障害の報告を行いました。 ";
        QTest::newRow("refused") << QByteArray("554 5.7.1 spam\r\n")
                                 << "メッセージの送信に失敗しました。イベントログを確認してください。"
                                 << "「システムテスト」のサーバー障害の報告に失敗しました。 554 5.7.1 spam";
    }
    void testReportThroughMainWindow()
    {
        QFETCH(QByteArray, messageReply);
        QFETCH(QString, box);
        QFETCH(QString, lastLog);
        TestFolder folder;
        FakeSmtpServer server;
        server.replies["END"] = {messageReply};
        frmMain window(folder.path());
        window.reportSender()->setPort(server.port());
        frmMailConfig *dialog = openFromMenu(window);
        fill(dialog, {"127.0.0.1", "s@x", "a@x", "", "", "", ""});
        button(dialog, "cmdTest")->click();
        QStringList boxes;
        QTRY_VERIFY(!(boxes += folder.takeMessageBoxes()).isEmpty());
        QCOMPARE(boxes, QStringList{box});
        QCOMPARE(folder.logMessages().last(), lastLog);
        QCOMPARE(server.sessions.size(), 1);
        QVERIFY(server.sessions.at(0).message.contains("\x81\x75\x83\x56\x83\x58\x83\x65\x83\x80\x83\x65\x83\x58\x83\x67\x81\x76"));
    }
};

QTEST_MAIN(TestFrmMailConfig)
#include "tst_frmmailconfig.moc"
