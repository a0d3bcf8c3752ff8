#include "FakeSmtpServer.h"
#include "Loopback.h"
#include "TestFolder.h"

#include "core/base/Clock.h"
#include "core/base/TextCodec.h"
#include "core/log/EventLog.h"
#include "core/notify/MailNotification.h"
#include "core/notify/SmtpMessage.h"
#include "core/notify/SmtpReply.h"

#include <QSignalSpy>
#include <QtTest>

using ByteList = QList<QByteArray>;

namespace
{
const QString failurePrefix = QStringLiteral("「web01」のサーバー障害の報告に失敗しました。 ");
const QString made = QStringLiteral("web01サーバー障害の報告を行いました。 ");
const ByteList opening{"EHLO monitor.example.org", "HELO monitor.example.org"};
const QByteArray mailFile = "\"127.0.0.1\",\"s@x\",\"a@x\",\"\",\"c@x\",\"\",\"\"\r\n";

// A sender wired to a test folder's log and a fake server.
struct Rig
{
    TestFolder folder;
    EventLog log{folder.path()};
    MailRoute route{"127.0.0.1", "sentrova@example.org", {"ops@example.org"}};
    FakeSmtpServer server;
    SmtpReport report{route, log};
    QList<bool> results;

    Rig()
    {
        report.setPort(server.port());
        report.setMachineName(QStringLiteral("monitor"), QStringLiteral("example.org"));
    }
    void send(const QString &host = QStringLiteral("web01"))
    {
        report.send(host, [this](bool accepted) { results.append(accepted); });
    }
};

// The server of a test does not know EHLO unless told to.
ByteList commandsFor(const ByteList &recipients, const ByteList &tail = {"DATA", "QUIT"})
{
    ByteList commands = opening + ByteList{"MAIL FROM:<sentrova@example.org>"};
    for (const QByteArray &recipient : recipients)
        commands.append("RCPT TO:<" + recipient + '>');
    return commands + tail;
}
}

class TestNotify : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), QTimeZone(9 * 3600))); }

    // The whole conversation for one way the server behaves ("VERB:reply"
    // replaces the server's replies); the log lines it leaves, the last of
    // them the outcome.
    void dialogue_data()
    {
        QTest::addColumn<QStringList>("recipients");
        QTest::addColumn<ByteList>("server");
        QTest::addColumn<ByteList>("commands");
        QTest::addColumn<QStringList>("log");
        const auto failed = [](const QString &reason) { return QStringList{failurePrefix + reason}; };
        const auto refused = [](const QString &to, const QString &reply) {
            return QStringLiteral("「web01」のサーバー障害の報告を<%1>に送れませんでした。 %2").arg(to, reply);
        };
        const QStringList ops{"ops@example.org"}, two{"ops@example.org", "gone@example.org"};
        const ByteList toOps = commandsFor({"ops@example.org"});
        const ByteList toTwo = commandsFor({"ops@example.org", "gone@example.org"});
        const QStringList ok{made};
        QTest::newRow("one recipient, HELO after EHLO") << ops << ByteList{} << toOps << ok;
        QTest::newRow("EHLO offers 8BITMIME") << ops << ByteList{"EHLO:250-fake.test\r\n250-SIZE 9\r\n250 8bitmime\r\n"}
                                              << ByteList{opening.at(0), "MAIL FROM:<sentrova@example.org> BODY=8BITMIME",
                                                          "RCPT TO:<ops@example.org>", "DATA", "QUIT"} << ok;
        QTest::newRow("EHLO without 8BITMIME") << ops << ByteList{"EHLO:250-fake.test 8BITMIME\r\n250 SIZE 9\r\n"}
                                               << toOps.mid(0, 1) + toOps.mid(2) << ok;
        QTest::newRow("empty slots skipped") << QStringList{"a@x", "", "c@x"} << ByteList{} << commandsFor({"a@x", "c@x"}) << ok;
        QTest::newRow("multi-line replies, bare line ends")
            << ops << ByteList{"GREETING:220-fake.test\r\n220 ready\r\n", "HELO:250-x\n250\n"} << toOps << ok;
        // Either class of refusal at any step ends the report with the server's words.
        const QList<std::pair<QByteArray, ByteList>> steps{{"GREETING", {"QUIT"}}, {"HELO", opening + ByteList{"QUIT"}},
            {"MAIL", commandsFor({}, {"QUIT"})}, {"RCPT", commandsFor({"ops@example.org"}, {"QUIT"})}, {"DATA", toOps}, {"END", toOps}};
        for (const auto &[verb, sent] : steps)
            for (const QByteArray reply : {"451 4.3.0 try later", "554 5.7.1 refused"})
                QTest::addRow("%s answered %.3s", verb.constData(), reply.constData())
                    << ops << ByteList{verb + ':' + reply + "\r\n"} << sent
                    << (verb == "RCPT" ? QStringList{refused("ops@example.org", reply)} : QStringList{}) + failed(reply);
        QTest::newRow("long reply with controls") << ops << ByteList{"MAIL:553 \x1b[1mno\x07 " + QByteArray(300, 'x') + "\r\n"}
                                                  << commandsFor({}, {"QUIT"}) << failed("553 [1mno " + QString(190, 'x') + "…");
        QTest::newRow("second recipient refused") << two << ByteList{"RCPT:250 ok\r\n", "RCPT:550 5.1.1 User unknown\r\n"} << toTwo
                                                  << QStringList{refused("gone@example.org", "550 5.1.1 User unknown"), made};
        QTest::newRow("first forwarded") << two << ByteList{"RCPT:251 will forward\r\n", "RCPT:550 no\r\n"} << toTwo
                                         << QStringList{refused("gone@example.org", "550 no"), made};
        QTest::newRow("every recipient refused")
            << two << ByteList{"RCPT:550 first\r\n", "RCPT:550 second\r\n"}
            << commandsFor({"ops@example.org", "gone@example.org"}, {"QUIT"})
            << QStringList{refused("ops@example.org", "550 first"), refused("gone@example.org", "550 second"), failurePrefix + "550 second"};
        // A server that greeted is still told QUIT, but not waited for.
        QTest::newRow("no greeting") << ops << ByteList{"GREETING:silent"} << ByteList{} << failed("応答がありません");
        QTest::newRow("silent after the message") << ops << ByteList{"END:silent"} << toOps << failed("応答がありません");
        QTest::newRow("nothing listening") << ops << ByteList{"port:closed"} << ByteList{} << failed("接続できません");
        QTest::newRow("no server name") << ops << ByteList{"server:"} << ByteList{} << failed("接続できません");
        QTest::newRow("hangs up after RCPT") << ops << ByteList{"RCPT:hang up"} << commandsFor({"ops@example.org"}, {}) << failed("応答がありません");
        // Nothing is sent from the null sender, to nobody, or in bytes a server cannot read.
        const QStringList noAddress = failed("送信者または受信者が設定されていません");
        const QStringList notAscii = failed("送信者または受信者のアドレスに使用できない文字が含まれています");
        QTest::newRow("no sender") << ops << ByteList{"sender:"} << ByteList{} << noAddress;
        QTest::newRow("first recipient empty") << QStringList{"", "b@x"} << ByteList{} << ByteList{} << noAddress;
        QTest::newRow("sender with DEL") << ops << ByteList{"sender:s\x7f@x"} << ByteList{} << notAscii;
        QTest::newRow("recipient beyond ASCII") << QStringList{"a@x", "\u3042@x"} << ByteList{} << ByteList{} << notAscii;
    }
    void dialogue()
    {
        QFETCH(QStringList, recipients);
        QFETCH(ByteList, server);
        QFETCH(ByteList, commands);
        QFETCH(QStringList, log);
        Rig rig;
        for (qsizetype i = 0; i < recipients.size(); ++i)
            rig.route.recipients.at(i) = recipients.at(i);
        QMap<QByteArray, ByteList> replies;
        for (const QByteArray &entry : server)
            replies[entry.left(entry.indexOf(':'))].append(entry.mid(entry.indexOf(':') + 1));
        rig.server.replies.insert(replies);
        if (replies.contains("port"))
            rig.report.setPort(Loopback::closedPort().toUShort());
        if (replies.contains("server"))
            rig.route.server.clear();
        if (replies.contains("sender"))
            rig.route.sender = QString::fromUtf8(replies["sender"].first());
        if (server.join().contains("silent"))
            rig.report.setStepTimeout(300);
        rig.send();
        QTRY_COMPARE(rig.results.size(), 1);
        QCOMPARE(rig.results.first(), log.last() == made);
        QTRY_VERIFY(rig.server.sessions.isEmpty() || rig.server.sessions.at(0).closed);
        QCOMPARE(rig.server.sessions.value(0).commands, commands);
        QCOMPARE(rig.folder.logMessages(), log);
    }

    // EHLO names the machine when its name can be one, else the address it
    // connected from; the Message-ID takes the name, or a name of its own.
    void machineName_data()
    {
        QTest::addColumn<QStringList>("machine");   // host name, domain name
        QTest::addColumn<QByteArray>("ehlo");
        QTest::addColumn<QByteArray>("idDomain");
        QTest::newRow("full host name") << QStringList{"mon.example.jp", "example.org"} << QByteArray("mon.example.jp") << QByteArray("mon.example.jp");
        QTest::newRow("host and domain") << QStringList{"mon", "example.org"} << QByteArray("mon.example.org") << QByteArray("mon.example.org");
        QTest::newRow("no domain") << QStringList{"mon", ""} << QByteArray("[127.0.0.1]") << QByteArray("sentrova.invalid");
        QTest::newRow("not a name") << QStringList{"mon_1", "example.org"} << QByteArray("[127.0.0.1]") << QByteArray("sentrova.invalid");
    }
    void machineName()
    {
        QFETCH(QStringList, machine);
        QFETCH(QByteArray, ehlo);
        QFETCH(QByteArray, idDomain);
        Rig rig;
        rig.report.setMachineName(machine.at(0), machine.at(1));
        rig.send();
        QTRY_COMPARE(rig.results, QList<bool>{true});
        QCOMPARE(rig.server.sessions.at(0).commands.first(), "EHLO " + ehlo);
        QVERIFY(QRegularExpression("\r\nMessage-ID: <[0-9a-f-]{36}@" + QRegularExpression::escape(idDomain) + ">\r\n")
                    .match(rig.server.sessions.at(0).message).hasMatch());
    }

    // Replies cut into reads anywhere; an overlong line is one malformed reply.
    void replyReader_data()
    {
        QTest::addColumn<ByteList>("reads");
        QTest::addColumn<QList<int>>("codes");
        const QByteArray overlong(SmtpReplyReader::maxLineLength + 1, 'x');
        QTest::newRow("multi-line, cut inside a line") << ByteList{"250-a\r\n25", "0 b\r", "\n354\n"} << QList<int>{250, 354};
        QTest::newRow("not reply lines") << ByteList{"hello\r\n2x0 odd\r\n25\r\n250 ok\r\n"} << QList<int>{0, 0, 0, 250};
        QTest::newRow("longest line") << ByteList{"250 " + overlong.left(SmtpReplyReader::maxLineLength - 4) + "\r", "\n"} << QList<int>{250};
        QTest::newRow("overlong, its end in the next read") << ByteList{overlong, "\n250 ok\r\n"} << QList<int>{0, 250};
        QTest::newRow("overlong, its rest over reads") << ByteList{overlong, overlong, "x\r\n250 ok\n"} << QList<int>{0, 250};
    }
    void replyReader()
    {
        QFETCH(ByteList, reads);
        QFETCH(QList<int>, codes);
        SmtpReplyReader reader;
        QList<int> taken;
        for (const QByteArray &read : reads) {
            reader.feed(read);
            while (const std::optional<SmtpReply> reply = reader.take())
                taken.append(reply->code);
        }
        QCOMPARE(taken, codes);
    }

    // Reports go to port 25; staged where that port is free.
    void defaultPort()
    {
        if (!qEnvironmentVariableIsSet("SENTROVA_PRIVATE_NETWORK"))
            QSKIP("run by tests/e2e/mounted_faults.sh in a network of its own");
        FakeSmtpServer server(25);
        Rig rig;
        rig.folder.writeBytes("MailConfig.ini", mailFile);
        MailNotification mail(rig.folder.path(), rig.log);
        mail.load();
        mail.sendTest(mail.route());
        QTRY_COMPARE(server.sessions.value(0).commands.value(4), "RCPT TO:<c@x>");
    }

    // The same body bytes go out as they are to a server that offered
    // 8BITMIME, in base64 to any other.
    void messageBytes_data()
    {
        QTest::addColumn<QByteArray>("ehlo");
        QTest::newRow("8-bit") << QByteArray("250-fake.test\r\n250 8BITMIME\r\n");
        QTest::newRow("base64") << QByteArray("502 no\r\n");
    }
    void messageBytes()
    {
        QFETCH(QByteArray, ehlo);
        Rig rig;
        rig.server.replies["EHLO"] = {ehlo};
        rig.route.recipients.at(2) = QStringLiteral("boss@example.org");
        rig.send();
        QTRY_COMPARE(rig.results, QList<bool>{true});
        const QString expected = QStringLiteral("From: sentrova@example.org\r\nTo: ops@example.org, boss@example.org\r\n"
                                                "Date: Sun, 06 Dec 2026 09:05:07 +0900\r\nMessage-ID: <@>\r\nMIME-Version: 1.0\r\n"
                                                "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n"
                                                "Subject: =?Shift_JIS?B?g1SBW4NvgVuKxI6LlfGNkA==?=\r\n\r\n障害が検出されました。\r\n"
                                                "2026/12/06 9:05:07 時点で\r\n「web01」の応答がありませんでした。 \r\n.\r\n");
        QByteArray message = rig.server.sessions.at(0).message;
        message.replace(QRegularExpression("<[0-9a-f-]{36}@monitor.example.org>").match(message).captured().toLatin1(), "<@>");
        const qsizetype bodyAt = message.indexOf("\r\n\r\n") + 4;
        if (ehlo.startsWith("502")) {
            const QByteArray lines = message.mid(bodyAt).chopped(3);
            for (const QByteArray &line : lines.split('\n'))
                QVERIFY(line.size() <= 77);
            message = message.left(bodyAt).replace("base64", "8bit") + QByteArray::fromBase64(lines) + ".\r\n";
        }
        QCOMPARE(message, cp932(expected));
        // A line end in the host text stays on its one body line.
        const QByteArray forged = SmtpMessage::build(rig.route, "a\r\n.\r\nQUIT", Clock::now(), "<id@x>", SmtpMessage::BodyEncoding::EightBit);
        QCOMPARE(forged.count("\r\n.\r\n"), 1);
        QVERIFY(forged.contains("a  .  QUIT"));
    }

    // A report asked for while one is under way waits for its connection to close.
    void reportsQueuedBackToBack()
    {
        Rig rig;
        rig.server.replies["END"] = {"451 try later\r\n"};
        rig.report.send(QStringLiteral("web01"), [&rig](bool accepted) {
            rig.results.append(accepted);
            rig.server.replies["END"] = {"250 ok\r\n"};
        });
        rig.send(QStringLiteral("db02"));
        QTRY_COMPARE(rig.results, (QList<bool>{false, true}));
        QCOMPARE(rig.server.sessions.size(), 2);
        QCOMPARE(rig.folder.logMessages(), (QStringList{failurePrefix + "451 try later", "db02サーバー障害の報告を行いました。 "}));
    }

    // The report of the end-to-end test, to aiosmtpd or, once it is stopped,
    // to nobody.
    void reportToARealServer()
    {
        const QString folder = qEnvironmentVariable("SENTROVA_SMTP_FOLDER");
        if (folder.isEmpty())
            QSKIP("run by tests/e2e/aiosmtpd_e2e.py");
        const EventLog log(folder);
        const MailRoute route{"127.0.0.1", "sentrova@example.org", {"ops@example.org", "", "boss@example.org"}};
        SmtpReport report(route, log);
        report.setPort(quint16(qEnvironmentVariableIntValue("SENTROVA_SMTP_PORT")));
        QList<bool> results;
        report.send("web01.example.jp", [&results](bool accepted) { results.append(accepted); });
        QTRY_COMPARE_WITH_TIMEOUT(results, QList<bool>{!qEnvironmentVariableIsSet("SENTROVA_SMTP_STOPPED")}, 30000);
    }

    // The mail window's buttons: the entered values are checked before
    // anything is stored or sent; the test then tells what the server said.
    void dialogButtons_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("messageReply");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArray>("file");
        const QStringList missing{"必要なパラメータがありません!"};
        const QStringList good{"127.0.0.1", "s@x", "a@x", "", "c@x"};
        QTest::newRow("server empty") << QStringList{"", "s@x", "a@x"} << "ok" << QByteArray() << missing << QByteArray();
        QTest::newRow("sender empty") << QStringList{"mx", "", "a@x"} << "ok" << QByteArray() << missing << QByteArray();
        QTest::newRow("test, recipient 1 empty") << QStringList{"mx", "s@x", "", "b@x"} << "test" << QByteArray() << missing << QByteArray();
        QTest::newRow("quote in recipient 5") << QStringList{"mx", "s@x", "a@x", "", "", "", "e\"@x"} << "test" << QByteArray()
                                              << QStringList{"設定値に \" (ダブルクォート) は使用できません。"} << QByteArray();
        QTest::newRow("not in code page 932") << QStringList{"mx", "s\u00fc@x", "a@x"} << "ok" << QByteArray()
                                              << QStringList{"設定値に使用できない文字が含まれています。"} << QByteArray();
        QTest::newRow("blanks count as filled") << QStringList{"  ", " ", "   ", "", "r3"} << "ok" << QByteArray() << QStringList{}
                                                << QByteArray("\"  \",\" \",\"   \",\"\",\"r3\",\"\",\"\"\r\n");
        QTest::newRow("test, accepted") << good << "test" << QByteArray("250 ok\r\n") << QStringList{"メッセージを送信しました。!"} << mailFile;
        QTest::newRow("test, refused") << good << "test" << QByteArray("554 spam\r\n") << QStringList{"メッセージの送信に失敗しました。イベントログを確認してください。"} << mailFile;
    }
    void dialogButtons()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, button);
        QFETCH(QByteArray, messageReply);
        QFETCH(QStringList, messages);
        QFETCH(QByteArray, file);
        Rig rig;
        rig.server.replies["END"] = {messageReply};
        MailNotification mail(rig.folder.path(), rig.log);
        mail.sender().setPort(rig.server.port());
        QStringList shown;
        connect(&mail, &MailNotification::userMessage, this, [&shown](const QString &text) { shown.append(text); });
        const MailRoute entered{values.at(0), values.at(1), {values.at(2), values.value(3), values.value(4), values.value(5), values.value(6)}};
        QCOMPARE(button == "ok" ? mail.confirm(entered) : (mail.sendTest(entered), true), button == "test" || !file.isEmpty());
        QCOMPARE(rig.folder.readBytes("MailConfig.ini"), file);   // saved before the report goes out
        QTRY_COMPARE(shown, messages);
        QCOMPARE(rig.server.sessions.size(), messageReply.isEmpty() ? 0 : 1);
        QCOMPARE(mail.isOn(), !file.isEmpty());
        // Values of a refused entry stay in memory, unsaved; a quote is not taken.
        QCOMPARE(mail.route() == entered, !messages.value(0).startsWith("設定値"));
        QCOMPARE(rig.folder.logMessages().mid(0, 1), file.isEmpty() ? QStringList{} : QStringList{"メール設定を保存しました。"});
    }

    // A good read switches notification on, whatever it was; a failed read
    // (six fields) changes neither the settings nor the switch; a failed save
    // is logged. The file may hold the values one a line, quoted or not.
    void loadAndSave()
    {
        TestFolder folder;
        const EventLog log(folder.path());
        MailNotification mail(folder.path(), log);
        const MailRoute all{"mx", "s@x", {"r1@x", "r2@x", "r3@x", "r4@x", "r5@x"}}, some{"127.0.0.1", "s@x", {"a@x", "", "c@x", "", ""}};
        const QByteArray allFile = "\"mx\",\"s@x\",\"r1@x\",\"r2@x\",\"r3@x\",\"r4@x\",\"r5@x\"\r\n";
        for (const auto &[bytes, route] : QList<std::pair<QByteArray, MailRoute>>{
                 {allFile, all}, {"a,b,c,d,e,f", all}, {"127.0.0.1\n  s@x\r\na@x  \n\"\"\nc@x\n\"\"\n\"\"", some},
                 {"127.0.0.1\r\ns@x\r\na@x\n\nc@x\r\n\n\n", some}}) {
            folder.writeBytes("MailConfig.ini", bytes);
            mail.switchOff();
            mail.load();
            QCOMPARE(mail.isOn(), bytes != "a,b,c,d,e,f");
            QCOMPARE(mail.route(), route);
        }
        QVERIFY(mail.confirm(all));
        QCOMPARE(folder.readBytes("MailConfig.ini"), allFile);
        QVERIFY(QFile::remove(folder.filePath("MailConfig.ini")) && QDir(folder.path()).mkdir("MailConfig.ini"));
        QVERIFY(mail.confirm(mail.route()));
        const QString loaded = "メール送信用環境設定をロードしました。";
        QCOMPARE(folder.logMessages(), QStringList({loaded, "メール送信用環境設定の読み取りに失敗しました。", loaded, loaded,
                                                    "メール設定を保存しました。", "メール送信用環境設定の保存に失敗しました。"}));
    }
};

QTEST_GUILESS_MAIN(TestNotify)
#include "tst_notify.moc"
