#include "DataRows.h"
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
const ByteList opening{"EHLO monitor.example.org", "HELO monitor.example.org"};   // a test's server knows no EHLO unless told to
const QByteArray mailFile = "\"127.0.0.1\",\"s@x\",\"a@x\",\"\",\"c@x\",\"\",\"\"\r\n";

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
    void send(const QString &host = QStringLiteral("web01")) { report.send(host, [this](bool accepted) { results.append(accepted); }); }
};
}

class TestNotify : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), QTimeZone(9 * 3600))); }

    // The whole conversation for one way the server behaves ("VERB:reply" replaces its replies), and the log lines it leaves, the last of them the outcome.
    void dialogue_data()
    {
        columns<QStringList, ByteList, ByteList, QStringList>("recipients", "server", "commands", "log");
        const auto failed = [](const QString &reason) { return QStringList{failurePrefix + reason}; };
        const auto refused = [](const QString &to, const QString &reply) {
            return QStringLiteral("「web01」のサーバー障害の報告を<%1>に送れませんでした。 %2").arg(to, reply);
        };
        const auto row = [](const QByteArray &name, const ByteList &server, const ByteList &commands, const QStringList &log = {made},
                            const QStringList &recipients = {"ops@example.org"}) {
            QTest::newRow(name.constData()) << recipients << server << commands << log;
        };
        const QByteArray ehlo = opening.at(0);
        const QStringList two{"ops@example.org", "gone@example.org"};
        const ByteList quit{"QUIT"}, mailed{"MAIL FROM:<sentrova@example.org>", "RCPT TO:<ops@example.org>", "DATA", "QUIT"};
        const ByteList toOps = opening + mailed, noRecipient = toOps.first(3) + quit;
        const ByteList toTwo = toOps.first(4) + ByteList{"RCPT TO:<gone@example.org>"} + toOps.mid(4);
        row("one recipient, HELO after EHLO", {}, toOps);
        row("EHLO offers 8BITMIME", {"EHLO:250-fake.test\r\n250-SIZE 9\r\n250 8bitmime\r\n"},
            ByteList{ehlo, mailed.at(0) + " BODY=8BITMIME"} + mailed.mid(1));
        row("EHLO answered 421, the server gone", {"EHLO:421 4.7.0 too busy\r\n"}, {ehlo}, failed("421 4.7.0 too busy"));
        // A malformed or overlong reply is one reply to the end, and no step takes it.
        row("malformed reply to MAIL", {"MAIL:250-a\r\nbad\r\n250 b\r\n"}, noRecipient, failed("250 b"));
        row("overlong reply to EHLO", {"EHLO:" + QByteArray("250-x\r\n").repeated(300) + "250 end\r\n"}, {ehlo, "QUIT"}, failed("250 end"));
        for (const QByteArray code : {"500", "502", "504"})
            row("EHLO not known (" + code + ')', {"EHLO:" + code + " no\r\n"}, toOps);
        row("slow answer to the message's end", {"END:slow 250 ok\r\n"}, toOps);
        row("EHLO without 8BITMIME", {"EHLO:250-fake.test 8BITMIME\r\n250 SIZE 9\r\n"}, ByteList{ehlo} + mailed);
        row("empty slots skipped", {}, toOps.first(3) + ByteList{"RCPT TO:<a@x>", "RCPT TO:<c@x>"} + toOps.mid(4), {made}, {"a@x", "", "c@x"});
        row("multi-line replies, bare line ends", {"GREETING:220-fake.test\r\n220 ready\r\n", "HELO:250-x\n250\n"}, toOps);
        // Either class of refusal at any step ends the report with the server's words.
        const QList<std::pair<QByteArray, ByteList>> steps{{"GREETING", quit}, {"EHLO", {ehlo, "QUIT"}}, {"HELO", opening + quit},
            {"MAIL", noRecipient}, {"RCPT", toOps.first(4) + quit}, {"DATA", toOps}, {"END", toOps}};
        for (const auto &[verb, sent] : steps)
            for (const QByteArray reply : {"451 4.3.0 try later", "554 5.7.1 refused"})
                row(verb + " answered " + reply.left(3), {verb + ':' + reply + "\r\n"}, sent,
                    (verb == "RCPT" ? QStringList{refused("ops@example.org", reply)} : QStringList{}) + failed(reply));
        row("long reply with controls", {"MAIL:553 \x1b[1mno\x07 " + QByteArray(300, 'x') + "\r\n"}, noRecipient,
            failed("553  [1mno  " + QString(188, 'x') + "…"));
        row("first forwarded, second refused", {"RCPT:251 will forward\r\n", "RCPT:550 no\r\n"}, toTwo, {refused(two.at(1), "550 no"), made}, two);
        const QString notAddress = QStringLiteral("アドレスの形式が正しくありません");
        row("recipients not addresses", {}, toOps, {refused("two words@x", notAddress), refused("a<b@x", notAddress), made},
            {"ops@example.org", "two words@x", "a<b@x"});
        row("every recipient refused", {"RCPT:550 first\r\n", "RCPT:550 second\r\n"}, toTwo.first(5) + quit,
            {refused("ops@example.org", "550 first"), refused("gone@example.org", "550 second"), failurePrefix + "550 second"}, two);
        // A server that greeted is still told QUIT, but not waited for.
        row("no greeting", {"GREETING:silent"}, {}, failed("応答がありません"));
        row("silent after the message", {"END:silent"}, toOps, failed("応答がありません"));
        row("QUIT not answered, the report made", {"QUIT:silent"}, toOps);
        row("nothing listening", {"port:closed"}, {}, failed("接続できません"));
        row("no server name", {"server:"}, {}, failed("接続できません"));
        row("hangs up after RCPT", {"RCPT:hang up"}, toOps.first(4), failed("応答がありません"));
        // Nothing is sent from the null sender, to nobody, or in bytes a server cannot read.
        const QStringList noAddress = failed("送信者または受信者が設定されていません");
        const QStringList notAscii = failed("送信者または受信者のアドレスに使用できない文字が含まれています");
        row("no sender", {"sender:"}, {}, noAddress);
        row("first recipient empty", {}, {}, noAddress, {"", "b@x"});
        row("sender with DEL", {"sender:s\x7f@x"}, {}, notAscii);
        row("recipient beyond ASCII", {}, {}, notAscii, {"a@x", "\u3042@x"});
        // An account: "security:", "user:" (password "secret"), the server's "tls:" and a CA not "trusted:".
        const QByteArray offers = "EHLO:250-fake.test\r\n250-STARTTLS\r\n250 AUTH LOGIN PLAIN\r\n", only = "EHLO:250-fake.test\r\n250 ";
        const ByteList startTls{"security:StartTls", "tls:", "server:localhost", offers}, signIn = startTls + ByteList{"user:ops"};
        const ByteList secured{ehlo, "STARTTLS", ehlo}, plain{"AUTH PLAIN AG9wcwBzZWNyZXQ="}, signedIn = secured + plain + mailed;
        row("STARTTLS, then AUTH PLAIN", signIn, signedIn);
        row("STARTTLS, no account", startTls, secured + mailed);
        row("TLS from the first byte", {"security:Tls", "tls:implicit", "server:localhost", "user:ops", offers}, ByteList{ehlo} + plain + mailed);
        // AUTH LOGIN's lines are keyed by their base64 text: "ops", then "secret".
        row("AUTH LOGIN where PLAIN is not offered", signIn + ByteList{only + "AUTH LOGIN\r\n", "AUTH:334 VXNlcm5hbWU6\r\n",
            "B3BZ:334 UGFzc3dvcmQ6\r\n", "C2VJCMV0:235 ok\r\n"}, secured + ByteList{"AUTH LOGIN", "b3Bz", "c2VjcmV0"} + mailed);
        row("sign-in refused (535)", signIn + ByteList{"AUTH:535 5.7.8 denied\r\n"}, secured + plain + quit, failed("535 5.7.8 denied"));
        row("no password for this user", startTls + ByteList{"user:other"}, secured + quit, failed("パスワードが設定されていません"));
        row("AUTH= form", signIn + ByteList{only + "AUTH=LOGIN PLAIN\r\n"}, signedIn);
        row("no sign-in method", signIn + ByteList{only + "AUTH CRAM-MD5\r\n"}, secured + quit,
            failed("サーバーがPLAINでもLOGINでもサインインを受け付けません"));
        row("STARTTLS not offered", {"security:StartTls", "user:ops", only + "AUTH PLAIN\r\n"}, {ehlo, "QUIT"},
            failed("サーバーがSTARTTLSに対応していません"));
        row("STARTTLS refused", startTls + ByteList{"STARTTLS:454 4.7.0 not now\r\n"}, {ehlo, "STARTTLS", "QUIT"}, failed("454 4.7.0 not now"));
        row("no sign-in in the clear", {"user:ops", offers}, {ehlo, "QUIT"}, failed("暗号化されていない接続ではサインインしません"));
        row("issuer not trusted", startTls + ByteList{"trusted:no"}, {ehlo, "STARTTLS"}, failed("サーバーの証明書の発行者を確認できません"));
        row("name mismatch", startTls + ByteList{"server:127.0.0.1"}, {ehlo, "STARTTLS"}, failed("サーバーの証明書の名前がサーバー名と一致しません"));
        row("no TLS at the TLS port", {"security:Tls", "server:localhost"}, {}, failed("TLSで接続できません ("));
    }
    void dialogue()
    {
        auto [recipients, server, commands, log] = fetch<QStringList, ByteList, ByteList, QStringList>("recipients", "server", "commands", "log");
        static const TestCertificates certificates;
        const TrustedCa trusted(server.contains("trusted:no") ? QSslCertificate() : certificates.ca);   // before the sender's socket is made
        Rig rig;
        std::ranges::copy(recipients, rig.route.recipients.begin());
        QMap<QByteArray, ByteList> replies;
        for (const QByteArray &entry : server)
            replies[entry.left(entry.indexOf(':'))].append(entry.mid(entry.indexOf(':') + 1));
        rig.server.replies.insert(replies);
        const auto last = [&replies](const char *key, const QString &unset) { return QString(replies.value(key, {unset.toUtf8()}).last()); };
        rig.route.server = last("server", rig.route.server);
        rig.route.sender = last("sender", rig.route.sender);
        SettingsStore::setText(Setting::SmtpSecurity, last("security", "None"));
        SettingsStore::setText(Setting::SmtpUser, last("user", ""));
        rig.report.setPassword("ops", "secret");
        if (replies.contains("port"))
            SettingsStore::setText(Setting::SmtpPort, Loopback::closedPort());
        if (replies.contains("tls"))
            rig.server.tls = certificates.server, rig.server.implicitTls = replies["tls"].first() == "implicit";
        if (server.join().contains("silent") || server.join().contains("slow"))
            rig.report.setStepTimeout(300);
        if (server.contains("END:silent"))
            rig.report.setDataEndTimeout(300);
        rig.send();
        QTRY_COMPARE(rig.results, QList<bool>{log.last() == made});
        QTRY_VERIFY(rig.server.sessions.isEmpty() || rig.server.sessions.at(0).closed);
        const FakeSmtpServer::Session session = rig.server.sessions.value(0);
        QCOMPARE(session.commands, commands);
        QVERIFY(!session.commands.mid(0, session.tlsFrom).join('\n').contains("AUTH"));   // no sign-in before TLS
        QCOMPARE(rig.folder.logMessages().replaceInStrings(QRegularExpression(" \\(.+$"), " ("), log);   // the system's own reason varies
    }

    // The Date header in English names with the zone's offset, every month and weekday.
    void dateHeader()
    {
        const QStringList dates{"Fri, 08 Jan", "Sun, 14 Feb", "Sat, 20 Mar", "Mon, 26 Apr", "Tue, 04 May", "Thu, 10 Jun", "Fri, 16 Jul",
                                "Sun, 22 Aug", "Tue, 28 Sep", "Wed, 06 Oct", "Fri, 12 Nov", "Sat, 18 Dec"};   // in 2027
        for (const QString &date : dates) {
            const QDateTime when(QDate::fromString(date + " 2027", "ddd, dd MMM yyyy"), QTime(9, 5, 7), QTimeZone(-(3 * 3600 + 1800)));
            QVERIFY2(SmtpMessage::build({}, "x", SmtpMessage::Kind::Failure, when, "<id@x>", SmtpMessage::BodyEncoding::EightBit)
                         .contains("\r\nDate: " + date.toLatin1() + " 2027 09:05:07 -0330\r\n"), qPrintable(date));
        }
    }

    // Replies cut into reads anywhere; an overlong line is one malformed reply.
    void replyReader_data()
    {
        columns<ByteList, QList<int>>("reads", "codes");
        const QByteArray overlong(SmtpReplyReader::maxLineLength + 1, 'x');
        QTest::newRow("multi-line, cut inside a line") << ByteList{"250-a\r\n25", "0 b\r", "\n354\n"} << QList<int>{250, 354};
        QTest::newRow("malformed lines belong to their reply") << ByteList{"220-a\r\nhello\r\n2x0\n25\r\n220 ready\r\n250 ok\r\n"} << QList<int>{0, 250};
        QTest::newRow("more lines than are kept") << ByteList{QByteArray("250-x\r\n").repeated(300) + "250 end\r\n354 go\r\n"} << QList<int>{0, 354};
        QTest::newRow("a code with a nine") << ByteList{"599 x\r\n"} << QList<int>{599};
        QTest::newRow("longest line") << ByteList{"250 " + overlong.left(SmtpReplyReader::maxLineLength - 4) + "\r", "\n"} << QList<int>{250};
        QTest::newRow("overlong, its end in the next read, then its rest over reads")
            << ByteList{overlong, "\n250 ok\r\n", overlong, overlong, "250 no\r\n354 go\n", overlong, overlong, "\n221 bye\r\n"} << QList<int>{0, 0, 0};
    }
    void replyReader()
    {
        auto [reads, codes] = fetch<ByteList, QList<int>>("reads", "codes");
        SmtpReplyReader reader;
        QList<int> taken;
        for (const QByteArray &read : reads) {
            reader.feed(read);
            while (const std::optional<SmtpReply> reply = reader.take())
                taken.append(reply->code);
        }
        QCOMPARE(taken, codes);
    }

    // The body goes out as it is to a server that offered 8BITMIME, in base64 to any other. EHLO names the machine
    // if its name can be one, else the address it connected from; the Message-ID takes that name, or sentrova.invalid.
    void messageBytes_data()
    {
        // machine: host name, domain name; names: in EHLO, in the Message-ID
        columns<QByteArray, QStringList, ByteList, QString, bool>("ehloReply", "machine", "names", "host", "base64");
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
        auto [ehloReply, machine, names, host, base64] = fetch<QByteArray, QStringList, ByteList, QString, bool>("ehloReply", "machine", "names", "host", "base64");
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

    // A report asked for while one is under way waits for its connection to close. A line end or control in the host text stays on its body line.
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
        QVERIFY(rig.server.sessions.at(1).message.contains("a  .   QUIT"));
        QCOMPARE(rig.folder.logMessages(), (QStringList{failurePrefix + "451 try later", "a  .   QUITサーバー障害の報告を行いました。 "}));
    }

    // The end-to-end test's report to a real server, or once it is stopped to nobody.
    void reportToARealServer()
    {
        if (!qEnvironmentVariableIsSet("SENTROVA_SMTP_FOLDER"))
            QSKIP("run by tests/e2e/smtp_e2e.py");
        const QString ca = qEnvironmentVariable("SENTROVA_SMTP_CA"), user = qEnvironmentVariable("SENTROVA_SMTP_USER");
        const TrustedCa trusted(QSslCertificate::fromPath(ca).value(0));
        Rig rig;
        rig.route.server = ca.isEmpty() ? "127.0.0.1" : "localhost";   // the certificate names localhost
        SettingsStore::setText(Setting::SmtpSecurity, qEnvironmentVariable("SENTROVA_SMTP_SECURITY", "None"));
        SettingsStore::setText(Setting::SmtpUser, user);
        rig.report.setPassword(user, qEnvironmentVariable("SENTROVA_SMTP_PASSWORD"));
        std::ranges::copy(qEnvironmentVariable("SENTROVA_SMTP_RECIPIENTS").split(u','), rig.route.recipients.begin());
        SettingsStore::setText(Setting::SmtpPort, qEnvironmentVariable("SENTROVA_SMTP_PORT"));
        rig.send(qEnvironmentVariable("SENTROVA_SMTP_HOST"));
        QTRY_COMPARE_WITH_TIMEOUT(rig.results, QList<bool>{!qEnvironmentVariableIsSet("SENTROVA_SMTP_STOPPED")}, 30000);
    }

    // The mail window's buttons: the entered values are checked before anything is stored or sent; the test then tells what the server said.
    void dialogButtons_data()
    {
        columns<QStringList, QString, QStringList, QByteArray>("values", "button", "messages", "file");
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
        QTest::newRow("test, refused") << QStringList{"127.0.0.1", "s@x", "a@x", "", "c@x"} << "test"   // the server refuses the message (tst_windows has it accepted)
                                       << QStringList{"メッセージの送信に失敗しました。イベントログを確認してください。"} << mailFile;
    }
    void dialogButtons()
    {
        auto [values, button, messages, file] = fetch<QStringList, QString, QStringList, QByteArray>("values", "button", "messages", "file");
        Rig rig;
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

    // A good read switches notification on; a failed one (six fields) changes neither settings nor switch; a failed
    // save is logged. Values may be one a line, quoted or not; of "Name <addr>" the address is taken.
    void loadAndSave()
    {
        Rig rig;
        const MailRoute some{"127.0.0.1", "s@x", {"a@x", "", "c@x", "", ""}}, noServer{"", "s@x", {"a@x", "", "", "", ""}};
        const QList<std::pair<QByteArray, MailRoute>> files{{"127.0.0.1  \n  s@x\r\na@x  \n\"\"\nCarol <c@x>\n\"\"\n\"\"", some}, {"a,b,c,d,e,f", some},
            {"127.0.0.1\r\ns@x\r\na@x\n\nc@x\r\n\n\n", some}, {"\r\ns@x\r\na@x\r\n\r\n\r\n\r\n\r\n", noServer}};   // the last: a blank first line
        for (const auto &[bytes, route] : files) {
            rig.folder.writeBytes("MailConfig.ini", bytes);
            rig.mail.switchOff();
            rig.mail.load();
            QCOMPARE(rig.mail.isOn(), bytes != "a,b,c,d,e,f");
            QCOMPARE(rig.mail.route(), route);
        }
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
