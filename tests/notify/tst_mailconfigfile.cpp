#include "app/frmMain.h"
#include "notify/MailConfigFile.h"
#include "notify/MailNotification.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QLabel>
#include <QtTest>

Q_DECLARE_METATYPE(MailSettings)

namespace
{
const QString fileName = QStringLiteral("MailConfig.ini");
const QByteArray goodFile = "\"mx.example.org\",\"s@example.org\",\"a@example.org\",\"\",\"c@example.org\",\"\",\"\"\r\n";
const MailSettings goodSettings{"mx.example.org", "s@example.org", "a@example.org", "", "c@example.org", "", ""};
}

class TestMailConfigFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void serialize_data()
    {
        QTest::addColumn<MailSettings>("settings");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("all empty") << MailSettings{} << QByteArray("\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
        QTest::newRow("filled") << goodSettings << goodFile;
        QTest::newRow("cp932 and spaces kept")
            << MailSettings{" mx ", "監視@example.jp", "a", "", "", "", ""}
            << QByteArray("\" mx \",\"\x8a\xc4\x8e\x8b@example.jp\",\"a\",\"\",\"\",\"\",\"\"\r\n");
    }
    void serialize()
    {
        QFETCH(MailSettings, settings);
        QFETCH(QByteArray, bytes);
        QCOMPARE(MailConfigFile::serialize(settings), bytes);
        if (settings == MailSettings{})
            QCOMPARE(bytes.size(), 22);   // 20 characters and CR LF
        QCOMPARE(MailConfigFile::parse(bytes), std::optional<MailSettings>(settings));
    }

    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<MailSettings>("settings");
        QTest::newRow("one line") << goodFile << true << goodSettings;
        QTest::newRow("one value a line, unquoted")
            << QByteArray("mx\r\n  s@x\r\na@x\r\nb@x\r\nc@x  \r\nd@x\r\ne@x\r\n") << true
            << MailSettings{"mx", "s@x", "a@x", "b@x", "c@x", "d@x", "e@x"};
        QTest::newRow("one value a line, with empty ones")
            << QByteArray("mx.example.org\r\n  s@example.org\r\na@example.org\r\n\"\"\r\nc@example.org  \r\n\"\"\r\n\"\"\r\n")
            << true << goodSettings;
        QTest::newRow("comma in a quoted value")
            << QByteArray("\"mx\",\"s\",\"Ops, Tokyo <ops@x>\",\"\",\"\",\"\",\"\"\r\n") << true
            << MailSettings{"mx", "s", "Ops, Tokyo <ops@x>", "", "", "", ""};
        QTest::newRow("after the seventh ignored")
            << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\",\"7\",\"8\"\r\nmore\r\n") << true
            << MailSettings{"1", "2", "3", "4", "5", "6", "7"};
        QTest::newRow("six fields") << QByteArray("\"1\",\"2\",\"3\",\"4\",\"5\",\"6\"\r\n") << false << MailSettings{};
        QTest::newRow("empty file") << QByteArray() << false << MailSettings{};
    }
    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, complete);
        QFETCH(MailSettings, settings);
        const std::optional<MailSettings> parsed = MailConfigFile::parse(bytes);
        QCOMPARE(parsed.has_value(), complete);
        if (complete)
            QCOMPARE(*parsed, settings);
    }

    void startUpLoadsAfterHostList_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<bool>("on");
        QTest::newRow("no file") << QByteArray() << "メール送信用環境設定の読み取りに失敗しました。" << false;
        QTest::newRow("readable") << goodFile << "メール送信用環境設定をロードしました。" << true;
    }
    void startUpLoadsAfterHostList()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, logLine);
        QFETCH(bool, on);
        TestFolder folder;
        if (!file.isEmpty())
            folder.writeBytes(fileName, file);
        frmMain window(folder.path());
        QCOMPARE(folder.logMessages(), (QStringList{"Sentrovaを起動しました...", "環境設定ファイルを読み取れません。",
                                                    logLine, "Sentrova起動完了"}));
        QCOMPARE(window.isNotificationOn(), on);
        QCOMPARE(window.notificationMenuItem()->isChecked(), on);
        QCOMPARE(window.statusPanel(3)->text(), on ? QStringLiteral("障害通知オン") : QString());
    }

    void failedLoadKeepsStateAndGoodLoadTurnsOn()
    {
        TestFolder folder;
        folder.writeBytes(fileName, goodFile);
        frmMain window(folder.path());
        MailNotification *mail = window.mailNotification();
        const QByteArray sixFields = "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n";

        for (bool on : {true, false}) {
            mail->setOn(on);
            folder.writeBytes(fileName, sixFields);
            window.LoadSMTPConfig();
            QCOMPARE(window.isNotificationOn(), on);
            QCOMPARE(window.notificationMenuItem()->isChecked(), on);
            QCOMPARE(window.statusPanel(3)->text(), on ? QStringLiteral("障害通知オン") : QString());
            QCOMPARE(mail->settings(), goodSettings);
            QCOMPARE(folder.logMessages().last(), QStringLiteral("メール送信用環境設定の読み取りに失敗しました。"));
        }

        // Switched off earlier in the run: a good load turns it on again.
        folder.writeBytes(fileName, goodFile);
        window.LoadSMTPConfig();
        QVERIFY(window.isNotificationOn());
        QVERIFY(window.notificationMenuItem()->isChecked());
        QCOMPARE(window.statusPanel(3)->text(), QStringLiteral("障害通知オン"));
    }

    void save()
    {
        TestFolder folder;
        frmMain window(folder.path());
        MailNotification *mail = window.mailNotification();
        MailSettings settings = goodSettings;
        settings.Recipient2 = QStringLiteral("Ops, Tokyo <ops@x>");
        mail->setSettings(settings);
        window.SaveSMTPConfig();
        QCOMPARE(folder.logMessages().last(), QStringLiteral("メール設定を保存しました。"));
        QCOMPARE(window.statusPanel(3)->text(), QStringLiteral("障害通知オン"));
        QVERIFY(window.notificationMenuItem()->isChecked());
        QCOMPARE(MailConfigFile::parse(folder.readBytes(fileName)), std::optional<MailSettings>(settings));

        // The comma survives the way back.
        mail->setSettings({});
        window.LoadSMTPConfig();
        QCOMPARE(mail->settings(), settings);
    }

    void failedSaveIsLogged()
    {
        TestFolder folder;
        const QString missing = folder.filePath(QStringLiteral("no/such/folder"));
        QStringList log;
        MailNotification mail(missing, [&log](const QString &text) { log.append(text); });
        QSignalSpy indications(&mail, &MailNotification::indicationsChanged);
        mail.setSettings(goodSettings);
        QVERIFY(!mail.save());
        QCOMPARE(log, QStringList{"メール送信用環境設定の保存に失敗しました。"});
        QCOMPARE(indications.count(), 0);
        QCOMPARE(mail.settings(), goodSettings);
    }
};

QTEST_MAIN(TestMailConfigFile)
#include "tst_mailconfigfile.moc"
