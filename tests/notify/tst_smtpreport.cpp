#include "FakeSmtpServer.h"

#include "log/EventLog.h"
#include "notify/SmtpReport.h"
#include "platform/Clock.h"
#include "support/TestFolder.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

using ByteList = QList<QByteArray>;

namespace
{
const QString successLine = QStringLiteral("web01サーバー障害の報告を行いました。 ");
const QString failurePrefix = QStringLiteral("「web01」のサーバー障害の報告に失敗しました。 ");

MailSettings oneRecipient()
{
    return {QStringLiteral("127.0.0.1"), QStringLiteral("sentrova@example.org"), QStringLiteral("ops@example.org"),
            {}, {}, {}, {}};
}

// One sender wired to a test folder's log and a fake server.
struct Rig
{
    TestFolder folder;
    EventLog log{folder.path()};
    MailSettings settings = oneRecipient();
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
    bool waitForResults(int count, int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (results.size() < count && timer.elapsed() < timeoutMs)
            QTest::qWait(10);
        return results.size() >= count;
    }
};

ByteList dialogue(const ByteList &recipients)
{
    ByteList commands{"HELO monitor.example.org", "MAIL FROM:<sentrova@example.org>"};
    for (const QByteArray &recipient : recipients)
        commands.append("RCPT TO:<" + recipient + '>');
    commands << "DATA" << "QUIT";
    return commands;
}
}

class TestSmtpReport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 12, 6), QTime(9, 5, 7), QTimeZone(9 * 3600))); }
    void cleanup() { Clock::setFixedTime({}); }

    void commandSequence_data()
    {
        QTest::addColumn<QStringList>("slots");
        QTest::addColumn<ByteList>("commands");
        QTest::newRow("one recipient") << QStringList{"a@x.test", "", "", "", ""} << dialogue({"a@x.test"});
        QTest::newRow("slots 1 and 3") << QStringList{"a@x.test", "", "c@x.test", "", ""}
                                       << dialogue({"a@x.test", "c@x.test"});
        QTest::newRow("all five") << QStringList{"a@x", "b@x", "c@x", "d@x", "e@x"}
                                  << dialogue({"a@x", "b@x", "c@x", "d@x", "e@x"});
        // Slot 1 is always addressed, even empty (a hand-edited file).
        QTest::newRow("slot 1 empty") << QStringList{"", "b@x", "", "", ""} << dialogue({"", "b@x"});
    }
    void commandSequence()
    {
        QFETCH(QStringList, slots);
        QFETCH(ByteList, commands);
        Rig rig;
        rig.settings.Recipient1 = slots.at(0);
        rig.settings.Recipient2 = slots.at(1);
        rig.settings.Recipient3 = slots.at(2);
        rig.settings.Recipient4 = slots.at(3);
        rig.settings.Recipient5 = slots.at(4);
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.results, QList<bool>{true});
        QCOMPARE(rig.server.sessions.size(), 1);
        const FakeSmtpServer::Session &session = rig.server.sessions.at(0);
        QCOMPARE(session.commands, commands);
        // Nothing else went over the wire: the commands, then the message
        // before QUIT.
        QByteArray beforeQuit;
        for (const QByteArray &command : commands.mid(0, commands.size() - 1))
            beforeQuit += command + "\r\n";
        QCOMPARE(session.received, beforeQuit + session.message + "QUIT\r\n");
        QTRY_VERIFY(rig.server.sessions.at(0).closed);
        QCOMPARE(rig.folder.logMessages(), QStringList{successLine});
    }

    void heloWithoutDomainNameUsesAddressLiteral()
    {
        Rig rig;
        rig.report.setMachineName(QStringLiteral("vm"), QString());
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.server.sessions.at(0).commands.first(), QByteArray("HELO [127.0.0.1]"));
    }

    void messageBytes()
    {
        Rig rig;
        rig.settings.Recipient3 = QStringLiteral("boss@example.org");
        rig.send();
        QVERIFY(rig.waitForResults(1));
        const QByteArray message = rig.server.sessions.at(0).message;
        QByteArray expectedTail =
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
        const QByteArray headers = message.left(message.size() - expectedTail.size());
        const QRegularExpression pattern(QStringLiteral(
            "^From: sentrova@example.org\r\n"
            "To: ops@example.org, boss@example.org\r\n"
            "Date: Sun, 06 Dec 2026 09:05:07 \\+0900\r\n"
            "Message-ID: <[0-9a-f-]{36}@monitor.example.org>\r\n$"));
        QVERIFY2(pattern.match(QString::fromLatin1(headers)).hasMatch(), headers.constData());
    }

    void multiLineRepliesAndEarlyGreeting_data()
    {
        QTest::addColumn<QByteArray>("greeting");
        QTest::addColumn<QByteArray>("heloReply");
        QTest::newRow("multi-line greeting and HELO")
            << QByteArray("220-fake.test ESMTP\r\n220-no UCE\r\n220 ready\r\n")
            << QByteArray("250-fake.test\r\n250-PIPELINING\r\n250-SIZE 1000\r\n250 8BITMIME\r\n");
        // Without CR (some servers) and with the code alone on the last line.
        QTest::newRow("bare line ends") << QByteArray("220-a\n220 b\n") << QByteArray("250-x\n250\n");
    }
    void multiLineRepliesAndEarlyGreeting()
    {
        QFETCH(QByteArray, greeting);
        QFETCH(QByteArray, heloReply);
        Rig rig;
        // The server greets in the same moment it accepts, so the greeting
        // is there when the connection completes.
        rig.server.greeting = greeting;
        rig.server.replies["HELO"] = {heloReply};
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.results, QList<bool>{true});
        QCOMPARE(rig.server.sessions.at(0).commands, dialogue({"ops@example.org"}));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("verb");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<ByteList>("commands");
        const ByteList upToRcpt{"HELO monitor.example.org", "MAIL FROM:<sentrova@example.org>",
                                "RCPT TO:<ops@example.org>"};
        QTest::newRow("greeting") << QByteArray("GREETING") << QByteArray("554 5.3.2 go away") << ByteList{"QUIT"};
        QTest::newRow("HELO") << QByteArray("HELO") << QByteArray("501 5.5.4 Syntax: HELO hostname")
                              << ByteList{"HELO monitor.example.org", "QUIT"};
        QTest::newRow("MAIL") << QByteArray("MAIL") << QByteArray("553 5.1.8 sender rejected")
                              << upToRcpt.mid(0, 2) + ByteList{"QUIT"};
        QTest::newRow("only RCPT") << QByteArray("RCPT") << QByteArray("550 5.1.1 User unknown")
                                   << upToRcpt + ByteList{"QUIT"};
        QTest::newRow("DATA") << QByteArray("DATA") << QByteArray("554 5.5.1 No valid recipients")
                              << upToRcpt + ByteList{"DATA", "QUIT"};
        QTest::newRow("message") << QByteArray("END") << QByteArray("552 5.3.4 Message too big")
                                 << upToRcpt + ByteList{"DATA", "QUIT"};
        QTest::newRow("not a reply") << QByteArray("HELO") << QByteArray("hello?")
                                     << ByteList{"HELO monitor.example.org", "QUIT"};
    }
    void refusals()
    {
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, reply);
        QFETCH(ByteList, commands);
        Rig rig;
        if (verb == "GREETING")
            rig.server.greeting = reply + "\r\n";
        else
            rig.server.replies[verb] = {reply + "\r\n"};
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.results, QList<bool>{false});
        QCOMPARE(rig.server.sessions.at(0).commands, commands);
        QTRY_VERIFY(rig.server.sessions.at(0).closed);
        QCOMPARE(rig.folder.logMessages(), QStringList{failurePrefix + QString::fromLatin1(reply)});
    }

    void refusedRecipientSkipped_data()
    {
        QTest::addColumn<ByteList>("rcptReplies");
        QTest::newRow("second refused") << ByteList{"250 ok\r\n", "550 5.1.1 no such user\r\n"};
        QTest::newRow("first refused") << ByteList{"550 5.1.1 no such user\r\n", "250 ok\r\n"};
        QTest::newRow("forwarded") << ByteList{"251 2.1.5 will forward\r\n", "550 no\r\n"};
    }
    void refusedRecipientSkipped()
    {
        QFETCH(ByteList, rcptReplies);
        Rig rig;
        rig.settings.Recipient2 = QStringLiteral("gone@example.org");
        rig.server.replies["RCPT"] = rcptReplies;
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.results, QList<bool>{true});
        QCOMPARE(rig.server.sessions.at(0).commands, dialogue({"ops@example.org", "gone@example.org"}));
        QCOMPARE(rig.folder.logMessages(), QStringList{successLine});
    }

    void everyRecipientRefused()
    {
        Rig rig;
        rig.settings.Recipient2 = QStringLiteral("gone@example.org");
        rig.server.replies["RCPT"] = {"550 5.1.1 first\r\n", "550 5.1.1 second\r\n"};
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.results, QList<bool>{false});
        QCOMPARE(rig.server.sessions.at(0).commands.last(), QByteArray("QUIT"));
        QVERIFY(!rig.server.sessions.at(0).commands.contains("DATA"));
        QCOMPARE(rig.folder.logMessages(), QStringList{failurePrefix + QStringLiteral("550 5.1.1 second")});
    }

    void silentOrVanishingServer_data()
    {
        QTest::addColumn<QByteArray>("silentAt");
        QTest::addColumn<QByteArray>("hangUpAt");
        QTest::addColumn<QByteArray>("lastCommand");
        QTest::newRow("no greeting") << QByteArray("GREETING") << QByteArray() << QByteArray();
        // A server that greeted is still told QUIT, but not waited for.
        QTest::newRow("silent after MAIL") << QByteArray("MAIL") << QByteArray() << QByteArray("QUIT");
        QTest::newRow("silent after message") << QByteArray("END") << QByteArray() << QByteArray("QUIT");
        QTest::newRow("hangs up at once") << QByteArray() << QByteArray("GREETING") << QByteArray();
        QTest::newRow("hangs up after RCPT") << QByteArray() << QByteArray("RCPT")
                                             << QByteArray("RCPT TO:<ops@example.org>");
    }
    void silentOrVanishingServer()
    {
        QFETCH(QByteArray, silentAt);
        QFETCH(QByteArray, hangUpAt);
        QFETCH(QByteArray, lastCommand);
        Rig rig;
        rig.report.setStepTimeout(300);
        rig.server.silentAt = silentAt;
        rig.server.hangUpAt = hangUpAt;
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.results, QList<bool>{false});
        QTRY_VERIFY(rig.server.sessions.at(0).closed);
        const ByteList commands = rig.server.sessions.at(0).commands;
        QCOMPARE(commands.isEmpty() ? QByteArray() : commands.last(), lastCommand);
        QCOMPARE(rig.folder.logMessages(), QStringList{failurePrefix + QStringLiteral("応答がありません")});
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
        const quint16 port = probe.serverPort();
        probe.close();
        rig.report.setPort(port);
        rig.report.setStepTimeout(2000);
        rig.settings.SMTPServer = server;
        rig.send();
        QVERIFY(rig.waitForResults(1));
        QCOMPARE(rig.results, QList<bool>{false});
        QCOMPARE(rig.folder.logMessages(), QStringList{failurePrefix + QStringLiteral("接続できません")});
    }

    void reportsQueuedBackToBack()
    {
        Rig rig;
        rig.send(QStringLiteral("web01"));
        rig.send(QStringLiteral("db02"));
        QVERIFY(rig.waitForResults(2));
        QCOMPARE(rig.results, (QList<bool>{true, true}));
        // The second connection opens only after the first dialogue ended.
        QTRY_COMPARE(rig.server.events.size(), 6);
        QVERIFY(rig.server.events.indexOf("quit 1") < rig.server.events.indexOf("open 2"));
        QVERIFY(rig.server.events.contains("close 1") && rig.server.events.contains("close 2"));
        QCOMPARE(rig.server.sessions.at(0).commands, dialogue({"ops@example.org"}));
        QCOMPARE(rig.server.sessions.at(1).commands, dialogue({"ops@example.org"}));
        QVERIFY(rig.server.sessions.at(1).message.contains("\x81\x75" "db02\x81\x76"));
        QCOMPARE(rig.folder.logMessages(),
                 (QStringList{successLine, QStringLiteral("db02サーバー障害の報告を行いました。 ")}));
    }

    void queuedReportAfterFailureStillSent()
    {
        Rig rig;
        rig.server.replies["END"] = {"451 4.3.0 try later\r\n"};
        // The second dialogue starts only after the first one's callback.
        rig.report.send(QStringLiteral("web01"), [&rig](bool accepted) {
            rig.results.append(accepted);
            rig.server.replies["END"] = {"250 ok\r\n"};
        });
        rig.send(QStringLiteral("web01"));
        QVERIFY(rig.waitForResults(2));
        QCOMPARE(rig.results, (QList<bool>{false, true}));
        QCOMPARE(rig.folder.logMessages(),
                 (QStringList{failurePrefix + QStringLiteral("451 4.3.0 try later"), successLine}));
    }
};

QTEST_MAIN(TestSmtpReport)
#include "tst_smtpreport.moc"
