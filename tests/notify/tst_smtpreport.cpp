#include "FakeSmtpServer.h"

#include "log/EventLog.h"
#include "notify/SmtpMessage.h"
#include "notify/SmtpReply.h"
#include "notify/SmtpReport.h"
#include "platform/Clock.h"
#include "support/TestFolder.h"

#include <QtTest>

using ByteList = QList<QByteArray>;

namespace
{
const QString failurePrefix = QStringLiteral("「web01」のサーバー障害の報告に失敗しました。 ");

QString successLine(const QString &host = QStringLiteral("web01"))
{
    return host + QStringLiteral("サーバー障害の報告を行いました。 ");
}

// One sender wired to a test folder's log and a fake server.
struct Rig
{
    TestFolder folder;
    EventLog log{folder.path()};
    MailSettings settings{"127.0.0.1", "sentrova@example.org", "ops@example.org", {}, {}, {}, {}};
    FakeSmtpServer server;
    SmtpReport report{[this] { return settings; }, [this](const QString &text) { log.LogEvent(text); }};
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

ByteList commandsFor(const ByteList &recipients, const ByteList &tail = {"DATA", "QUIT"})
{
    ByteList commands{"HELO monitor.example.org", "MAIL FROM:<sentrova@example.org>"};
    for (const QByteArray &recipient : recipients)
        commands.append("RCPT TO:<" + recipient + '>');
    return commands + tail;
}
}

class TestSmtpReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), QTimeZone(9 * 3600))); }
    void cleanup() { Clock::setFixedTime({}); }

    // The whole conversation for one way the server behaves: "VERB:reply"
    // entries replace the server's replies, "silent:VERB" and "hangup:VERB"
    // end its part. outcome is "ok" or the reason in the failure log line.
    void dialogue_data()
    {
        QTest::addColumn<QStringList>("recipients");
        QTest::addColumn<ByteList>("server");
        QTest::addColumn<ByteList>("commands");
        QTest::addColumn<QString>("outcome");
        const QStringList ops{"ops@example.org"};
        const QStringList two{"ops@example.org", "gone@example.org"};
        const ByteList toOps = commandsFor({"ops@example.org"});
        QTest::newRow("one recipient") << ops << ByteList{} << toOps << "ok";
        QTest::newRow("slots 1 and 3") << QStringList{"a@x", "", "c@x"} << ByteList{} << commandsFor({"a@x", "c@x"}) << "ok";
        // Slot 1 is always addressed, even empty (a hand-edited file).
        QTest::newRow("slot 1 empty") << QStringList{"", "b@x"} << ByteList{} << commandsFor({"", "b@x"}) << "ok";
        QTest::newRow("multi-line replies")
            << ops << ByteList{"GREETING:220-fake.test\r\n220-no UCE\r\n220 ready\r\n",
                               "HELO:250-fake.test\r\n250-PIPELINING\r\n250 8BITMIME\r\n"} << toOps << "ok";
        QTest::newRow("bare line ends, code alone")
            << ops << ByteList{"GREETING:220-a\n220 b\n", "HELO:250-x\n250\n"} << toOps << "ok";
        QTest::newRow("greeting refused") << ops << ByteList{"GREETING:554 5.3.2 go away\r\n"} << ByteList{"QUIT"}
                                          << "554 5.3.2 go away";
        QTest::newRow("HELO refused") << ops << ByteList{"HELO:501 5.5.4 Syntax\r\n"}
                                      << ByteList{"HELO monitor.example.org", "QUIT"} << "501 5.5.4 Syntax";
        QTest::newRow("MAIL refused") << ops << ByteList{"MAIL:553 5.1.8 sender rejected\r\n"}
                                      << commandsFor({}, {"QUIT"}) << "553 5.1.8 sender rejected";
        QTest::newRow("only RCPT refused") << ops << ByteList{"RCPT:550 5.1.1 unknown\r\n"}
                                           << commandsFor({"ops@example.org"}, {"QUIT"}) << "550 5.1.1 unknown";
        QTest::newRow("DATA refused") << ops << ByteList{"DATA:554 5.5.1 No valid recipients\r\n"} << toOps
                                      << "554 5.5.1 No valid recipients";
        QTest::newRow("message refused") << ops << ByteList{"END:552 5.3.4 too big\r\n"} << toOps << "552 5.3.4 too big";
        QTest::newRow("not a reply") << ops << ByteList{"HELO:hello?\r\n"} << ByteList{"HELO monitor.example.org", "QUIT"}
                                     << "hello?";
        QTest::newRow("second recipient refused") << two << ByteList{"RCPT:250 ok\r\n", "RCPT:550 5.1.1 no\r\n"}
                                                  << commandsFor({"ops@example.org", "gone@example.org"}) << "ok";
        QTest::newRow("forwarded") << two << ByteList{"RCPT:251 2.1.5 will forward\r\n", "RCPT:550 no\r\n"}
                                   << commandsFor({"ops@example.org", "gone@example.org"}) << "ok";
        QTest::newRow("every recipient refused") << two << ByteList{"RCPT:550 5.1.1 first\r\n", "RCPT:550 5.1.1 second\r\n"}
                                                 << commandsFor({"ops@example.org", "gone@example.org"}, {"QUIT"})
                                                 << "550 5.1.1 second";
        // A server that greeted is still told QUIT, but not waited for.
        QTest::newRow("no greeting") << ops << ByteList{"silent:GREETING"} << ByteList{} << "応答がありません";
        QTest::newRow("silent after MAIL") << ops << ByteList{"silent:MAIL"} << commandsFor({}, {"QUIT"}) << "応答がありません";
        QTest::newRow("silent after message") << ops << ByteList{"silent:END"} << toOps << "応答がありません";
        QTest::newRow("hangs up at once") << ops << ByteList{"hangup:GREETING"} << ByteList{} << "応答がありません";
        QTest::newRow("hangs up after RCPT") << ops << ByteList{"hangup:RCPT"} << commandsFor({"ops@example.org"}, {})
                                             << "応答がありません";
    }
    void dialogue()
    {
        QFETCH(QStringList, recipients);
        QFETCH(ByteList, server);
        QFETCH(ByteList, commands);
        QFETCH(QString, outcome);
        Rig rig;
        QString *slots[] = {&rig.settings.Recipient1, &rig.settings.Recipient2, &rig.settings.Recipient3};
        for (qsizetype i = 0; i < recipients.size(); ++i)
            *slots[i] = recipients.at(i);
        QMap<QByteArray, ByteList> replies;
        for (const QByteArray &entry : server) {
            const QByteArray key = entry.left(entry.indexOf(':')), value = entry.mid(entry.indexOf(':') + 1);
            if (key == "silent" || key == "hangup") {
                (key == "silent" ? rig.server.silentAt : rig.server.hangUpAt) = value;
                rig.report.setStepTimeout(300);
            }
            else
                replies[key].append(value);
        }
        rig.server.replies.insert(replies);
        rig.send();
        QTRY_COMPARE(rig.results.size(), 1);
        QCOMPARE(rig.results.first(), outcome == "ok");
        QTRY_VERIFY(rig.server.sessions.at(0).closed);
        const FakeSmtpServer::Session &session = rig.server.sessions.at(0);
        QCOMPARE(session.commands, commands);
        // Nothing else went over the wire: the commands, the message after DATA.
        QByteArray wire;
        for (const QByteArray &command : commands)
            wire += command + "\r\n" + (command == "DATA" ? session.message : QByteArray());
        QCOMPARE(session.received, wire);
        QCOMPARE(rig.folder.logMessages(), QStringList{outcome == "ok" ? successLine() : failurePrefix + outcome});
    }

    void messageBytes()
    {
        Rig rig;
        rig.settings.Recipient3 = QStringLiteral("boss@example.org");
        rig.send();
        QTRY_COMPARE(rig.results, QList<bool>{true});
        const QByteArray message = rig.server.sessions.at(0).message;
        const QByteArray expectedTail =
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/plain; charset=Shift_JIS\r\n"
            "Content-Transfer-Encoding: 8bit\r\n"
            "Subject: =?Shift_JIS?B?g1SBW4NvgVuKxI6LlfGNkA==?=\r\n"
            "\r\n"
            "\x8f\xe1\x8a\x51\x82\xaa\x8c\x9f\x8f\x6f\x82\xb3\x82\xea\x82\xdc\x82\xb5\x82\xbd\x81\x42\r\n"
            "2026/12/06 9:05:07 \x8e\x9e\x93\x5f\x82\xc5\r\n"
            "\x81\x75web01\x81\x76\x82\xcc\x89\x9e\x93\x9a\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1"
            "\x82\xc5\x82\xb5\x82\xbd\x81\x42 \r\n"
            ".\r\n";
        QVERIFY2(message.endsWith(expectedTail), message.constData());
        const QRegularExpression headers(QStringLiteral(
            "^From: sentrova@example.org\r\n"
            "To: ops@example.org, boss@example.org\r\n"
            "Date: Sun, 06 Dec 2026 09:05:07 \\+0900\r\n"
            "Message-ID: <[0-9a-f-]{36}@monitor.example.org>\r\n$"));
        QVERIFY2(headers.match(QString::fromLatin1(message.chopped(expectedTail.size()))).hasMatch(), message.constData());
    }

    void unreachableServer_data()
    {
        QTest::addColumn<QString>("server");
        QTest::newRow("nothing listening") << QStringLiteral("127.0.0.1");
        QTest::newRow("no server name") << QString();
    }
    void unreachableServer()
    {
        QFETCH(QString, server);
        Rig rig;
        // A port that was free a moment ago and has nobody listening.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        rig.report.setPort(probe.serverPort());
        probe.close();
        rig.report.setStepTimeout(2000);
        rig.settings.SMTPServer = server;
        rig.send();
        QTRY_COMPARE(rig.results, QList<bool>{false});
        QCOMPARE(rig.folder.logMessages(), QStringList{failurePrefix + QStringLiteral("接続できません")});
    }

    void reportsQueuedBackToBack_data()
    {
        QTest::addColumn<bool>("firstRefused");
        QTest::newRow("both accepted") << false;
        QTest::newRow("first refused") << true;
    }
    void reportsQueuedBackToBack()
    {
        QFETCH(bool, firstRefused);
        Rig rig;
        if (firstRefused)
            rig.server.replies["END"] = {"451 4.3.0 try later\r\n"};
        // The second dialogue starts only after the first one's callback.
        rig.report.send(QStringLiteral("web01"), [&rig](bool accepted) {
            rig.results.append(accepted);
            rig.server.replies["END"] = {"250 ok\r\n"};
        });
        rig.send(QStringLiteral("db02"));
        QTRY_COMPARE(rig.results, (QList<bool>{!firstRefused, true}));
        QTRY_COMPARE(rig.server.events.size(), 6);
        QVERIFY(rig.server.events.indexOf("quit 1") < rig.server.events.indexOf("open 2"));
        QCOMPARE(rig.server.sessions.at(1).commands, commandsFor({"ops@example.org"}));
        QVERIFY(rig.server.sessions.at(1).message.contains("\x81\x75" "db02\x81\x76"));
        QCOMPARE(rig.folder.logMessages(),
                 (QStringList{firstRefused ? failurePrefix + "451 4.3.0 try later" : successLine(), successLine("db02")}));
    }

    // The pieces that need no server: reply reader and message.
    void replies_data()
    {
        QTest::addColumn<ByteList>("chunks");
        QTest::addColumn<ByteList>("replies");   // "code|last line" (its first 12 bytes) of each
        QTest::addColumn<bool>("onlyFirst");     // after a refusal only the first reply matters
        QTest::newRow("split anywhere") << ByteList{"25", "0-mx\r", "\n250", " ok", "\r\n"} << ByteList{"250|250 ok"} << false;
        QTest::newRow("two in one read") << ByteList{"220 hi\r\n250 ok\r\n"} << ByteList{"220|220 hi", "250|250 ok"} << false;
        QTest::newRow("unfinished") << ByteList{"250-mx\r\n250 ok"} << ByteList{} << false;
        QTest::newRow("not digits") << ByteList{"hello\r\n"} << ByteList{"0|hello"} << false;
        QTest::newRow("final code differs") << ByteList{"250-a\r\n550 b\r\n"} << ByteList{"550|550 b"} << false;
        // A hostile server gets a refusal, not an ever-growing buffer.
        QTest::newRow("line without end") << ByteList{QByteArray(100000, 'x')} << ByteList{"0|?" + QByteArray(11, 'x')} << false;
        QTest::newRow("endless continuation") << ByteList{QByteArray("250-more\r\n").repeated(1000)} << ByteList{"0|250-more"} << true;
        // An overlong line gives the same replies however it is split into
        // reads, and its tail is never taken for a reply of its own.
        const QByteArray x(5000, 'x');
        const QByteArray cut = "0|?" + QByteArray(11, 'x');
        QTest::newRow("overlong line in one read") << ByteList{x + "\r\n250 ok\r\n"} << ByteList{cut, "250|250 ok"} << false;
        QTest::newRow("overlong line over reads")
            << ByteList{x.left(4500), x.left(500) + "\r", "\n250 ok\r\n"} << ByteList{cut, "250|250 ok"} << false;
        QTest::newRow("tail of an overlong line looks like a reply") << ByteList{x.left(4200), "250 ok\r\n"} << ByteList{cut} << false;
        const QByteArray longest = "250 " + QByteArray(SmtpReplyReader::maxLineLength - 4, 'a');
        QTest::newRow("longest line, CR in the same read as the line")
            << ByteList{longest + "\r", "\n"} << ByteList{"250|" + longest.left(12)} << false;
    }
    void replies()
    {
        QFETCH(ByteList, chunks);
        QFETCH(ByteList, replies);
        QFETCH(bool, onlyFirst);
        SmtpReplyReader reader;
        ByteList got;
        for (const QByteArray &chunk : chunks) {
            reader.feed(chunk);
            while (std::optional<SmtpReply> reply = reader.take()) {
                QVERIFY(reply->lines.size() <= SmtpReplyReader::maxLines);
                QVERIFY(reply->lastLine().size() <= SmtpReplyReader::maxLineLength + 1);
                got.append(QByteArray::number(reply->code) + '|' + reply->lastLine().left(12));
            }
        }
        QCOMPARE(onlyFirst ? got.mid(0, replies.size()) : got, replies);
    }

    void heloArgument_data()
    {
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<QString>("domainName");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("expected");
        QTest::newRow("host and domain") << "mon" << "example.org" << "10.0.0.2" << "mon.example.org";
        QTest::newRow("not a domain name") << "my_pc" << "lan" << "192.0.2.7" << "[192.0.2.7]";
        QTest::newRow("ipv6") << "vm" << "" << "2001:db8::7" << "[IPv6:2001:db8::7]";
        QTest::newRow("ipv4 mapped") << "vm" << "" << "::ffff:192.0.2.7" << "[192.0.2.7]";
        QTest::newRow("scoped ipv6") << "vm" << "" << "fe80::1%lo" << "[IPv6:fe80::1]";
    }
    void heloArgument()
    {
        QFETCH(QString, hostName);
        QFETCH(QString, domainName);
        QFETCH(QString, local);
        QFETCH(QString, expected);
        QCOMPARE(SmtpMessage::heloArgument(hostName, domainName, QHostAddress(local)), expected);
    }

    void hostTextCannotEndTheMessage()
    {
        // Line ends in the host text stay on its one body line: the data
        // ends only at the final "." line.
        const QByteArray message = SmtpMessage::build({"mx", "s@x", "r@x", {}, {}, {}, {}}, QStringLiteral("a\r\n.\r\nQUIT"),
                                                      QDateTime(QDate(2026, 1, 1), QTime(0, 0)), "<id@x>");
        QCOMPARE(message.count("\r\n.\r\n"), 1);
        QVERIFY(message.endsWith("\r\n.\r\n"));
        QVERIFY(message.contains("a  .  QUIT"));
    }
};

QTEST_MAIN(TestSmtpReport)
#include "tst_smtpreport.moc"
