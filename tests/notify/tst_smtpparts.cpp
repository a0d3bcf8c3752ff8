#include "notify/SmtpMessage.h"
#include "notify/SmtpReply.h"

#include <QHostAddress>
#include <QtTest>

using ByteList = QList<QByteArray>;

// The pieces of a report that need no server: reply reader and message.
class TestSmtpParts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replies_data()
    {
        QTest::addColumn<ByteList>("chunks");
        QTest::addColumn<ByteList>("replies");   // "code|last line" (its first 12 bytes) of each
        QTest::newRow("split anywhere") << ByteList{"25", "0-mx\r", "\n250", " ok", "\r\n"} << ByteList{"250|250 ok"};
        QTest::newRow("two in one read") << ByteList{"220 hi\r\n250 ok\r\n"} << ByteList{"220|220 hi", "250|250 ok"};
        QTest::newRow("unfinished") << ByteList{"250-mx\r\n250 ok"} << ByteList{};
        QTest::newRow("not digits") << ByteList{"hello\r\n"} << ByteList{"0|hello"};
        QTest::newRow("no separator") << ByteList{"250ok\r\n"} << ByteList{"0|250ok"};
        QTest::newRow("final code differs") << ByteList{"250-a\r\n550 b\r\n"} << ByteList{"550|550 b"};
        // A hostile server gets a refusal, not an ever-growing buffer.
        QTest::newRow("line without end") << ByteList{QByteArray(100000, 'x')} << ByteList{"0|?" + QByteArray(11, 'x')};
        QTest::newRow("endless continuation") << ByteList{QByteArray("250-more\r\n").repeated(1000)} << ByteList{"0|250-more"};
    }
    void replies()
    {
        QFETCH(ByteList, chunks);
        QFETCH(ByteList, replies);
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
        // After a refusal for hostile input only the first reply matters.
        QCOMPARE(got.mid(0, replies.size()), replies);
        QCOMPARE(got.isEmpty(), replies.isEmpty());
    }

    void heloArgument_data()
    {
        QTest::addColumn<QString>("hostName");
        QTest::addColumn<QString>("domainName");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("expected");
        QTest::newRow("qualified host name") << "mon.example.org" << "" << "10.0.0.2" << "mon.example.org";
        QTest::newRow("host and domain") << "mon" << "example.org" << "10.0.0.2" << "mon.example.org";
        QTest::newRow("no domain") << "vm" << "" << "192.0.2.7" << "[192.0.2.7]";
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

    void dateWestOfUtc()
    {
        const QDateTime when(QDate(2026, 7, 1), QTime(0, 0), QTimeZone(-(3 * 3600 + 1800)));
        QCOMPARE(SmtpMessage::rfc5322Date(when), "Wed, 01 Jul 2026 00:00:00 -0330");
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

QTEST_GUILESS_MAIN(TestSmtpParts)
#include "tst_smtpparts.moc"
