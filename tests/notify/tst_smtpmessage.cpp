#include "notify/SmtpMessage.h"

#include <QHostAddress>
#include <QtTest>

class TestSmtpMessage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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

    void rfc5322Date_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("expected");
        QTest::newRow("japan") << QDateTime(QDate(2026, 1, 4), QTime(23, 5, 9), QTimeZone(9 * 3600))
                               << "Sun, 04 Jan 2026 23:05:09 +0900";
        QTest::newRow("west of utc") << QDateTime(QDate(2026, 7, 1), QTime(0, 0), QTimeZone(-(3 * 3600 + 1800)))
                                     << "Wed, 01 Jul 2026 00:00:00 -0330";
        QTest::newRow("utc") << QDateTime(QDate(2026, 12, 31), QTime(12, 0), QTimeZone::utc())
                             << "Thu, 31 Dec 2026 12:00:00 +0000";
    }
    void rfc5322Date()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, expected);
        QCOMPARE(SmtpMessage::rfc5322Date(when), expected);
    }

    void hostTextCannotEndTheMessage()
    {
        // A host text with line ends stays on its one body line: the data
        // ends only at the final "." line.
        MailSettings settings{"mx", "s@x", "r@x", {}, {}, {}, {}};
        const QByteArray message = SmtpMessage::build(settings, QStringLiteral("a\r\n.\r\nQUIT"),
                                                      QDateTime(QDate(2026, 1, 1), QTime(0, 0)), "<id@x>");
        QCOMPARE(message.count("\r\n.\r\n"), 1);
        QVERIFY(message.endsWith("\r\n.\r\n"));
        QVERIFY(message.contains("a  .  QUIT"));
    }
};

QTEST_MAIN(TestSmtpMessage)
#include "tst_smtpmessage.moc"
