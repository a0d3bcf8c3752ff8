#include "FakeSmtpServer.h"
#include "Loopback.h"
#include "TestCertificates.h"
#include "TestFolder.h"

#include "core/base/Clock.h"
#include "core/base/SettingsStore.h"
#include "core/log/EventLog.h"
#include "core/notify/MailNotification.h"
#include "core/notify/SmtpMessage.h"
#include "core/notify/SmtpReply.h"

#include <QtTest>

using ByteList = QList<QByteArray>;

namespace
{
const QString failurePrefix = QStringLiteral("「web01」のサーバー障害の報告に失敗しました。 ");
const QString made = QStringLiteral("web01サーバー障害の報告を行いました。 ");
const ByteList opening{"EHLO monitor.example.org", "HELO monitor.example.org"};
const QByteArray mailFile = "\"127.0.0.1\",\"s@x\",\"a@x\",\"\",\"c@x\",\"\",\"\"\r\n";

// Senders wired to a test folder's log and a fake server.
struct Rig
{
    TestFolder folder;
    EventLog log{qEnvironmentVariable("SENTROVA_SMTP_FOLDER", folder.path())};   // the end-to-end test reads its own
    MailRoute route{"127.0.0.1", "sentrova@example.org", {"ops@example.org"}};
    FakeSmtpServer server;
    SmtpReport report{route, log};
    MailNotification mail{folder.path(), log};
    QList<bool> results;

    Rig()
    {
        SettingsStore::setText(Setting::SmtpPort, QString::number(server.port()));
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

    // The whole conversation for one way the server behaves ("VERB:reply" replaces
    // its replies), and the log lines it leaves, the last of them the outcome.
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
        const ByteList toOps = commandsFor({"ops@example.org"}), toTwo = commandsFor({"ops@example.org", "gone@example.org"});
        const QStringList ok{made};
        QTest::newRow("one recipient, HELO after EHLO") << ops << ByteList{} << toOps << ok;
        QTest::newRow("EHLO offers 8BITMIME") << ops << ByteList{"EHLO:250-fake.test\r\n250-SIZE 9\r\n250 8bitmime\r\n"}
            << ByteList{opening.at(0), "MAIL FROM:<sentrova@example.org> BODY=8BITMIME"} + toOps.mid(3) << ok;
        QTest::newRow("EHLO answered 421, the server gone") << ops << ByteList{"EHLO:421 4.7.0 too busy\r\n"} << ByteList{opening.at(0)} << failed("421 4.7.0 too busy");
        QTest::newRow("EHLO answered 550") << ops << ByteList{"EHLO:550 5.7.1 too busy\r\n"} << ByteList{opening.at(0), "QUIT"} << failed("550 5.7.1 too busy");
        // A malformed or overlong reply is one reply to the end, and no step takes it.
        QTest::newRow("malformed reply to MAIL") << ops << ByteList{"MAIL:250-a\r\nbad\r\n250 b\r\n"} << commandsFor({}, {"QUIT"}) << failed("250 b");
        QTest::newRow("overlong reply to EHLO") << ops << ByteList{"EHLO:" + QByteArray("250-x\r\n").repeated(300) + "250 end\r\n"}
                                                << ByteList{opening.at(0), "QUIT"} << failed("250 end");
        for (const QByteArray code : {"500", "502", "504"})
            QTest::addRow("EHLO not known (%s)", code.constData()) << ops << ByteList{"EHLO:" + code + " no\r\n"} << toOps << ok;
        QTest::newRow("slow answer to the message's end") << ops << ByteList{"END:slow 250 ok\r\n"} << toOps << ok;
        QTest::newRow("EHLO without 8BITMIME") << ops << ByteList{"EHLO:250-fake.test 8BITMIME\r\n250 SIZE 9\r\n"}
                                               << toOps.mid(0, 1) + toOps.mid(2) << ok;
        QTest::newRow("empty slots skipped") << QStringList{"a@x", "", "c@x"} << ByteList{} << commandsFor({"a@x", "c@x"}) << ok;
        QTest::newRow("multi-line replies, bare line ends")
            << ops << ByteList{"GREETING:220-fake.test\r\n220 ready\r\n", "HELO:250-x\n250\n"} << toOps << ok;
        // Either class of refusal at any step ends the report with the server's words.
        const QList<std::pair<QByteArray, ByteList>> steps{{"GREETING", {"QUIT"}}, {"EHLO", {opening.at(0), "QUIT"}}, {"HELO", opening + ByteList{"QUIT"}},
            {"MAIL", commandsFor({}, {"QUIT"})}, {"RCPT", commandsFor({"ops@example.org"}, {"QUIT"})}, {"DATA", toOps}, {"END", toOps}};
        for (const auto &[verb, sent] : steps)
            for (const QByteArray reply : {"451 4.3.0 try later", "554 5.7.1 refused"})
                QTest::addRow("%s answered %.3s", verb.constData(), reply.constData())
                    << ops << ByteList{verb + ':' + reply + "\r\n"} << sent
                    << (verb == "RCPT" ? QStringList{refused("ops@example.org", reply)} : QStringList{}) + failed(reply);
        QTest::newRow("long reply with controls") << ops << ByteList{"MAIL:553 \x1b[1mno\x07 " + QByteArray(300, 'x') + "\r\n"}
                                                  << commandsFor({}, {"QUIT"}) << failed("553  [1mno  " + QString(188, 'x') + "…");
        QTest::newRow("first forwarded, second refused") << two << ByteList{"RCPT:251 will forward\r\n", "RCPT:550 no\r\n"} << toTwo
                                                         << QStringList{refused("gone@example.org", "550 no"), made};
        QTest::newRow("recipients not addresses") << QStringList{"ops@example.org", "two words@x", "a<b@x"} << ByteList{} << toOps
            << QStringList{refused("two words@x", "アドレスの形式が正しくありません"), refused("a<b@x", "アドレスの形式が正しくありません"), made};
        QTest::newRow("every recipient refused") << two << ByteList{"RCPT:550 first\r\n", "RCPT:550 second\r\n"}
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
        // An account: "security:", "user:" (password "secret"), the server's "tls:" and a CA not "trusted:".
        const QByteArray offers = "EHLO:250-fake.test\r\n250-STARTTLS\r\n250 AUTH LOGIN PLAIN\r\n", ehlo = opening.at(0);
        const ByteList startTls{"security:StartTls", "tls:", "server:localhost", offers}, plain{"AUTH PLAIN AG9wcwBzZWNyZXQ="};
        const ByteList signedIn = ByteList{ehlo, "STARTTLS", ehlo} + plain + toOps.mid(2);
        QTest::newRow("STARTTLS, then AUTH PLAIN") << ops << startTls + ByteList{"user:ops"} << signedIn << ok;
        QTest::newRow("STARTTLS, no account") << ops << startTls << ByteList{ehlo, "STARTTLS", ehlo} + toOps.mid(2) << ok;
        QTest::newRow("TLS from the first byte") << ops << ByteList{"security:Tls", "tls:implicit", "server:localhost", "user:ops", offers}
                                                 << ByteList{ehlo} + plain + toOps.mid(2) << ok;
        // AUTH LOGIN's lines are keyed by their base64 text: "ops", then "secret".
        QTest::newRow("AUTH LOGIN where PLAIN is not offered") << ops
            << startTls + ByteList{"user:ops", "EHLO:250-fake.test\r\n250 AUTH LOGIN\r\n", "AUTH:334 VXNlcm5hbWU6\r\n", "B3BZ:334 UGFzc3dvcmQ6\r\n", "C2VJCMV0:235 ok\r\n"}
            << ByteList{ehlo, "STARTTLS", ehlo, "AUTH LOGIN", "b3Bz", "c2VjcmV0"} + toOps.mid(2) << ok;
        QTest::newRow("sign-in refused (535)") << ops << startTls + ByteList{"user:ops", "AUTH:535 5.7.8 bad credentials\r\n"}
                                               << ByteList{ehlo, "STARTTLS", ehlo} + plain + ByteList{"QUIT"} << failed("535 5.7.8 bad credentials");
        QTest::newRow("no password for this user") << ops << startTls + ByteList{"user:other"} << ByteList{ehlo, "STARTTLS", ehlo, "QUIT"}
                                                   << failed("パスワードが設定されていません");
        QTest::newRow("AUTH= form") << ops << startTls + ByteList{"user:ops", "EHLO:250-fake.test\r\n250 AUTH=LOGIN PLAIN\r\n"} << signedIn << ok;
        QTest::newRow("no sign-in method") << ops << startTls + ByteList{"user:ops", "EHLO:250-fake.test\r\n250 AUTH CRAM-MD5\r\n"}
                                           << ByteList{ehlo, "STARTTLS", ehlo, "QUIT"} << failed("サーバーがPLAINでもLOGINでもサインインを受け付けません");
        QTest::newRow("STARTTLS not offered") << ops << ByteList{"security:StartTls", "user:ops", "EHLO:250-fake.test\r\n250 AUTH PLAIN\r\n"}
                                              << ByteList{ehlo, "QUIT"} << failed("サーバーがSTARTTLSに対応していません");
        QTest::newRow("STARTTLS refused") << ops << startTls + ByteList{"STARTTLS:454 4.7.0 not now\r\n"}
                                          << ByteList{ehlo, "STARTTLS", "QUIT"} << failed("454 4.7.0 not now");
        QTest::newRow("no sign-in in the clear") << ops << ByteList{"user:ops", offers} << ByteList{ehlo, "QUIT"}
                                                 << failed("暗号化されていない接続ではサインインしません");
        QTest::newRow("issuer not trusted") << ops << startTls + ByteList{"trusted:no"} << ByteList{ehlo, "STARTTLS"}
                                            << failed("サーバーの証明書の発行者を確認できません");
        QTest::newRow("name mismatch") << ops << startTls + ByteList{"server:127.0.0.1"} << ByteList{ehlo, "STARTTLS"}
                                       << failed("サーバーの証明書の名前がサーバー名と一致しません");
        QTest::newRow("no TLS at the TLS port") << ops << ByteList{"security:Tls", "server:localhost"} << ByteList{}
                                                << QStringList{failurePrefix + "TLSで接続できません ("};
    }
    void dialogue()
    {
        QFETCH(QStringList, recipients);
        QFETCH(ByteList, server);
        QFETCH(ByteList, commands);
        QFETCH(QStringList, log);
        static const TestCertificates certificates;
        std::optional<TrustedCa> trusted;   // before the sender's socket is made
        if (!server.contains("trusted:no"))
            trusted.emplace(certificates.ca);
        Rig rig;
        std::copy(recipients.cbegin(), recipients.cend(), rig.route.recipients.begin());
        QMap<QByteArray, ByteList> replies;
        for (const QByteArray &entry : server)
            replies[entry.left(entry.indexOf(':'))].append(entry.mid(entry.indexOf(':') + 1));
        rig.server.replies.insert(replies);
        if (replies.contains("port"))
            SettingsStore::setText(Setting::SmtpPort, Loopback::closedPort());
        if (replies.contains("server"))
            rig.route.server = QString::fromUtf8(replies["server"].last());
        if (replies.contains("tls"))
            rig.server.tls = certificates.serverConfiguration(), rig.server.implicitTls = replies["tls"].first() == "implicit";
        if (replies.contains("security"))
            SettingsStore::setText(Setting::SmtpSecurity, replies["security"].first());
        if (replies.contains("user"))
            SettingsStore::setText(Setting::SmtpUser, replies["user"].first());
        rig.report.setPassword("ops", "secret");
        if (replies.contains("sender"))
            rig.route.sender = QString::fromUtf8(replies["sender"].first());
        if (server.join().contains("silent") || server.join().contains("slow"))
            rig.report.setStepTimeout(300);
        if (server.contains("END:silent"))
            rig.report.setDataEndTimeout(300);
        rig.send();
        QTRY_COMPARE(rig.results.size(), 1);
        QCOMPARE(rig.results.first(), log.last() == made);
        QTRY_VERIFY(rig.server.sessions.isEmpty() || rig.server.sessions.at(0).closed);
        QCOMPARE(rig.server.sessions.value(0).commands, commands);
        if (log.last().endsWith(u'('))
            QVERIFY(rig.folder.logMessages().last().startsWith(log.last()));
        else
            QCOMPARE(rig.folder.logMessages(), log);
        // No sign-in before TLS.
        const FakeSmtpServer::Session session = rig.server.sessions.value(0);
        for (qsizetype i = 0; i < (session.tlsFrom < 0 ? session.commands.size() : session.tlsFrom); ++i)
            QVERIFY(!session.commands.at(i).startsWith("AUTH"));
    }

    // The Date header in English names with the zone's offset, every month and weekday.
    void dateHeader()
    {
        const QStringList dates{"Fri, 08 Jan 2027", "Sun, 14 Feb 2027", "Sat, 20 Mar 2027", "Mon, 26 Apr 2027", "Tue, 04 May 2027",
                                "Thu, 10 Jun 2027", "Fri, 16 Jul 2027", "Sun, 22 Aug 2027", "Tue, 28 Sep 2027", "Wed, 06 Oct 2027",
                                "Fri, 12 Nov 2027", "Sat, 18 Dec 2027"};
        for (int month = 1; month <= 12; ++month) {
            const QString &date = dates.at(month - 1);
            const QDateTime when(QDate(2027, month, date.mid(5, 2).toInt()), QTime(9, 5, 7), QTimeZone(-(3 * 3600 + 1800)));
            QVERIFY2(SmtpMessage::build({}, "x", SmtpMessage::Kind::Failure, when, "<id@x>", SmtpMessage::BodyEncoding::EightBit)
                         .contains("\r\nDate: " + date.toLatin1() + " 09:05:07 -0330\r\n"), qPrintable(date));
        }
    }

    // Replies cut into reads anywhere; an overlong line is one malformed reply.
    void replyReader_data()
    {
        QTest::addColumn<ByteList>("reads");
        QTest::addColumn<QList<int>>("codes");
        const QByteArray overlong(SmtpReplyReader::maxLineLength + 1, 'x');
        QTest::newRow("multi-line, cut inside a line") << ByteList{"250-a\r\n25", "0 b\r", "\n354\n"} << QList<int>{250, 354};
        QTest::newRow("malformed lines belong to their reply") << ByteList{"220-a\r\nhello\r\n2x0\n25\r\n220 ready\r\n250 ok\r\n"} << QList<int>{0, 250};
        QTest::newRow("more lines than are kept") << ByteList{QByteArray("250-x\r\n").repeated(300) + "250 end\r\n354 go\r\n"} << QList<int>{0, 354};
        QTest::newRow("a code with a nine") << ByteList{"599 x\r\n"} << QList<int>{599};
        QTest::newRow("longest line") << ByteList{"250 " + overlong.left(SmtpReplyReader::maxLineLength - 4) + "\r", "\n"} << QList<int>{250};
        QTest::newRow("overlong, its end in the next read, then its rest over reads")
            << ByteList{overlong, "\n250 ok\r\n", overlong, overlong, "250 no\r\n354 go\n", overlong, overlong, "\n221 bye\r\n"}
            << QList<int>{0, 0, 0};
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
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Sentrova", "Sentrova").remove("Smtp/Port");   // as never set
        rig.mail.sendTest({"127.0.0.1", "s@x", {"c@x"}});
        QTRY_COMPARE(server.sessions.value(0).commands.value(3), "RCPT TO:<c@x>");
    }

    // The body goes out as it is to a server that offered 8BITMIME, in base64 to
    // any other. EHLO names the machine if its name can be one, else the address
    // it connected from; the Message-ID takes that name, or sentrova.invalid.
    void messageBytes_data()
    {
        QTest::addColumn<QByteArray>("ehloReply");
        QTest::addColumn<QStringList>("machine");   // host name, domain name
        QTest::addColumn<ByteList>("names");        // in EHLO, in the Message-ID
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("base64");
        const QByteArray eightBit = "250-fake.test\r\n250 8BITMIME\r\n", refused = "502 no\r\n";
        const ByteList address{"[127.0.0.1]", "sentrova.invalid"}, full(2, "mon.example.jp");
        const QStringList fullName{"mon.example.jp", "example.org"};
        QTest::newRow("8-bit, full name") << eightBit << fullName << full << "web01" << false;
        QTest::newRow("8-bit, host and domain") << eightBit << QStringList{"mon", "example.org"} << ByteList(2, "mon.example.org") << "web01" << false;
        QTest::newRow("base64, no domain") << refused << QStringList{"mon", ""} << address << "web01" << true;
        QTest::newRow("base64, not a name") << refused << QStringList{"mon_1", "example.org"} << address << "web01" << true;
        const QString longest = QString(63, 'a') + '.' + QString(63, 'b') + '.' + QString(63, 'c') + '.' + QString(61, 'd');   // 253
        QTest::newRow("the longest name") << refused << QStringList{longest, ""} << ByteList(2, longest.toLatin1()) << "web01" << true;
        // The host's body line with its 31 octets around the host text.
        QTest::newRow("8-bit, a line of 998 octets") << eightBit << fullName << full << QString(967, 'h') << false;
        QTest::newRow("base64 though 8-bit is offered, 999 octets") << eightBit << fullName << full << QString(968, 'h') << true;
    }
    void messageBytes()
    {
        QFETCH(QByteArray, ehloReply);
        QFETCH(QStringList, machine);
        QFETCH(ByteList, names);
        QFETCH(QString, host);
        QFETCH(bool, base64);
        Rig rig;
        rig.server.replies["EHLO"] = {ehloReply};
        rig.report.setMachineName(machine.at(0), machine.at(1));
        rig.route.recipients.at(2) = QStringLiteral("boss@example.org");
        rig.send(host);
        QTRY_COMPARE(rig.results, QList<bool>{true});
        QCOMPARE(rig.server.sessions.at(0).commands.first(), "EHLO " + names.at(0));
        const QString expected = QStringLiteral("From: sentrova@example.org\r\nTo: ops@example.org, boss@example.org\r\n"
                                                "Date: Sun, 06 Dec 2026 09:05:07 +0900\r\nMessage-ID: <@>\r\nMIME-Version: 1.0\r\n"
                                                "Content-Type: text/plain; charset=Shift_JIS\r\nContent-Transfer-Encoding: 8bit\r\n"
                                                "Subject: =?Shift_JIS?B?g1SBW4NvgVuKxI6LlfGNkA==?=\r\n\r\n障害が検出されました。\r\n"
                                                "2026/12/06 9:05:07 時点で\r\n「") + host + QStringLiteral("」の応答がありませんでした。 \r\n.\r\n");
        const QRegularExpression id("<[0-9a-f-]{36}@" + QRegularExpression::escape(names.at(1)) + '>');
        QByteArray message = QString::fromLatin1(rig.server.sessions.at(0).message).replace(id, "<@>").toLatin1();
        const qsizetype bodyAt = message.indexOf("\r\n\r\n") + 4;
        if (base64) {
            const QByteArray lines = message.mid(bodyAt).chopped(3);
            for (const QByteArray &line : lines.split('\n'))
                QVERIFY(line.size() <= 77);
            message = message.left(bodyAt).replace("base64", "8bit") + QByteArray::fromBase64(lines) + ".\r\n";
        }
        QCOMPARE(message, cp932(expected));
    }

    // A report asked for while one is under way waits for its connection to
    // close. A line end or control in the host text stays on its one body line.
    void reportsQueuedBackToBack()
    {
        Rig rig;
        rig.server.replies["EHLO"] = {"250-fake.test\r\n250 8BITMIME\r\n"};
        rig.server.replies["END"] = {"451 try later\r\n"};
        rig.report.send(QStringLiteral("web01"), [&rig](bool accepted) {
            rig.results.append(accepted);
            rig.server.replies["END"] = {"250 ok\r\n"};
        });
        rig.send(QStringLiteral("a\r\n.\r\n\x1bQUIT"));
        QTRY_COMPARE(rig.results, (QList<bool>{false, true}));
        QCOMPARE(rig.server.sessions.size(), 2);
        QCOMPARE(rig.server.sessions.at(1).commands, rig.server.sessions.at(0).commands);   // each to the recipients once
        QCOMPARE(rig.server.sessions.at(1).message.count("\r\n.\r\n"), 1);
        QVERIFY(rig.server.sessions.at(1).message.contains("a  .   QUIT"));
        QCOMPARE(rig.folder.logMessages(), (QStringList{failurePrefix + "451 try later", "a  .   QUITサーバー障害の報告を行いました。 "}));
    }

    // The end-to-end test's report to a real server, or once it is stopped to nobody.
    void reportToARealServer()
    {
        if (!qEnvironmentVariableIsSet("SENTROVA_SMTP_FOLDER"))
            QSKIP("run by tests/e2e/smtp_e2e.py");
        std::optional<TrustedCa> trusted;
        if (qEnvironmentVariableIsSet("SENTROVA_SMTP_CA"))
            trusted.emplace(QSslCertificate::fromPath(qEnvironmentVariable("SENTROVA_SMTP_CA")).value(0));
        Rig rig;
        if (trusted) {   // the certificate names localhost
            rig.route.server = "localhost";
            SettingsStore::setText(Setting::SmtpSecurity, qEnvironmentVariable("SENTROVA_SMTP_SECURITY"));
            SettingsStore::setText(Setting::SmtpUser, qEnvironmentVariable("SENTROVA_SMTP_USER"));
            rig.report.setPassword(qEnvironmentVariable("SENTROVA_SMTP_USER"), qEnvironmentVariable("SENTROVA_SMTP_PASSWORD"));
        }
        const QStringList recipients = qEnvironmentVariable("SENTROVA_SMTP_RECIPIENTS").split(u',');
        std::copy(recipients.cbegin(), recipients.cend(), rig.route.recipients.begin());
        SettingsStore::setText(Setting::SmtpPort, qEnvironmentVariable("SENTROVA_SMTP_PORT"));
        rig.send(qEnvironmentVariable("SENTROVA_SMTP_HOST"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.results, QList<bool>{!qEnvironmentVariableIsSet("SENTROVA_SMTP_STOPPED")}, 30000);
    }

    // The mail window's buttons: the entered values are checked before
    // anything is stored or sent; the test then tells what the server said.
    void dialogButtons_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QByteArray>("file");
        const QStringList missing{"必要なパラメータがありません!"}, quote{"設定値に \" (ダブルクォート) は使用できません。"};
        QTest::newRow("server empty") << QStringList{"", "s@x", "a@x"} << "ok" << missing << QByteArray();
        QTest::newRow("sender empty") << QStringList{"mx", "", "a@x"} << "ok" << missing << QByteArray();
        QTest::newRow("test, recipient 1 empty") << QStringList{"mx", "s@x", "", "b@x"} << "test" << missing << QByteArray();
        QTest::newRow("quote in recipient 5") << QStringList{"mx", "s@x", "a@x", "", "", "", "e\"@x"} << "test" << quote << QByteArray();
        QTest::newRow("not in code page 932") << QStringList{"mx", "s\u00fc@x", "a@x"} << "ok" << QStringList{"設定値に使用できない文字が含まれています。"}
                                              << QByteArray();
        QTest::newRow("blanks around addresses dropped") << QStringList{"mx", " s@x ", " r1@x", "r2@x  ", "", "r4@x", "r5@x"} << "ok" << QStringList{}
                                                         << QByteArray("\"mx\",\"s@x\",\"r1@x\",\"r2@x\",\"\",\"r4@x\",\"r5@x\"\r\n");
        QTest::newRow("not an address") << QStringList{"mx", "s@x", "a@x", "Carol <c@x>"} << "ok" << QStringList{"メールアドレスの形式が正しくありません。"} << QByteArray();
        // The server refuses the message (tst_windows has it accepted).
        QTest::newRow("test, refused") << QStringList{"127.0.0.1", "s@x", "a@x", "", "c@x"} << "test"
                                       << QStringList{"メッセージの送信に失敗しました。イベントログを確認してください。"} << mailFile;
    }
    void dialogButtons()
    {
        QFETCH(QStringList, values);
        QFETCH(QString, button);
        QFETCH(QStringList, messages);
        QFETCH(QByteArray, file);
        Rig rig;
        SettingsStore::setText(Setting::SmtpPort, QString::number(rig.server.port()));
        rig.server.replies["END"] = {"554 spam\r\n"};
        QStringList shown;
        connect(&rig.mail, &MailNotification::userMessage, this, [&shown](const QString &text) { shown.append(text); });
        const MailRoute entered{values.at(0), values.at(1), {values.at(2), values.value(3), values.value(4), values.value(5), values.value(6)}};
        QCOMPARE(button == "ok" ? rig.mail.confirm(entered) : (rig.mail.sendTest(entered), true), button == "test" || !file.isEmpty());
        QCOMPARE(rig.folder.readBytes("MailConfig.ini"), file);   // saved before the report goes out
        QTRY_COMPARE(shown, messages);
        QCOMPARE(rig.server.sessions.size(), button == "test" && !file.isEmpty() ? 1 : 0);
        QCOMPARE(rig.mail.isOn(), !file.isEmpty());
        // Values of a refused entry stay in memory, unsaved; a quote or what is not an address is not taken.
        QCOMPARE(rig.mail.route() == entered.bare(), !messages.value(0).startsWith("設定値") && !messages.value(0).startsWith("メールアドレス"));
        QCOMPARE(rig.folder.logMessages().mid(0, 1), file.isEmpty() ? QStringList{} : QStringList{"メール設定を保存しました。"});
    }

    // A good read switches notification on; a failed one (six fields) changes neither
    // settings nor switch; a failed save is logged. Values may be one a line, quoted or not;
    // of "Name <addr>" the address is taken.
    void loadAndSave()
    {
        Rig rig;
        const MailRoute some{"127.0.0.1", "s@x", {"a@x", "", "c@x", "", ""}};
        for (const QByteArray &bytes : QByteArrayList{"127.0.0.1  \n  s@x\r\na@x  \n\"\"\nCarol <c@x>\n\"\"\n\"\"", "a,b,c,d,e,f",
                                                      "127.0.0.1\r\ns@x\r\na@x\n\nc@x\r\n\n\n"}) {
            rig.folder.writeBytes("MailConfig.ini", bytes);
            rig.mail.switchOff();
            rig.mail.load();
            QCOMPARE(rig.mail.isOn(), bytes != "a,b,c,d,e,f");
            QCOMPARE(rig.mail.route(), some);
        }
        rig.folder.writeBytes("MailConfig.ini", "\r\ns@x\r\na@x\r\n\r\n\r\n\r\n\r\n");   // a blank first line: no server
        rig.mail.load();
        QCOMPARE(rig.mail.route(), (MailRoute{"", "s@x", {"a@x", "", "", "", ""}}));
        QVERIFY(QFile::remove(rig.folder.filePath("MailConfig.ini")) && QDir(rig.folder.path()).mkdir("MailConfig.ini"));
        QTest::ignoreMessage(QtWarningMsg, qUtf8Printable("Sentrova: ファイルを保存できません (" + rig.folder.filePath("MailConfig.ini") + ": Filename refers to a directory)"));
        QVERIFY(rig.mail.confirm(some));
        const QString loaded = "メール送信用環境設定をロードしました。";
        QCOMPARE(rig.folder.logMessages(), QStringList({loaded, "メール送信用環境設定の読み取りに失敗しました。", loaded, loaded,
                                                        "メール送信用環境設定の保存に失敗しました。"}));
    }
};

QTEST_GUILESS_MAIN(TestNotify)
#include "tst_notify.moc"
