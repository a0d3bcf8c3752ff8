#include "log/EventLog.h"
#include "platform/Clock.h"
#include "support/TestFolder.h"

#include <QtTest>

class TestEventLog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { Clock::setFixedTime(QDateTime(QDate(2026, 3, 4), QTime(7, 5, 9))); }
    void cleanup() { Clock::setFixedTime({}); }

    void lineBytes_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray stamp = "2026/03/04 7:05:09   ";
        QTest::newRow("japanese in cp932")
            << QStringLiteral("Sentrova起動完了")
            << stamp + "Sentrova\x8b\x4e\x93\xae\x8a\xae\x97\xb9\r\n";
        QTest::newRow("empty message") << QString() << stamp + "\r\n";
        QTest::newRow("trailing space kept")
            << QStringLiteral("x ") << stamp + "x \r\n";
        QTest::newRow("no trimming or quoting")
            << QStringLiteral("  \"a\",b  ") << stamp + "  \"a\",b  \r\n";
    }
    void lineBytes()
    {
        QFETCH(QString, message);
        QFETCH(QByteArray, expected);
        TestFolder folder;
        EventLog(folder.path()).LogEvent(message);
        QCOMPARE(folder.readBytes(QStringLiteral("Sentrova.Log")), expected);
    }

    void appendKeepsEarlierLines()
    {
        TestFolder folder;
        const QByteArray earlier = "old line written by hand \x82\xa0\r\n";
        folder.writeBytes(QStringLiteral("Sentrova.Log"), earlier);
        EventLog log(folder.path());
        log.LogEvent(QStringLiteral("終了"));
        log.LogEvent(QStringLiteral("Sentrovaが終了しました。"));
        const QByteArray bytes = folder.readBytes(QStringLiteral("Sentrova.Log"));
        QVERIFY(bytes.startsWith(earlier));
        QCOMPARE(bytes.count("\r\n"), 3);
        QCOMPARE(folder.logMessages().mid(1),
                 QStringList({QStringLiteral("終了"), QStringLiteral("Sentrovaが終了しました。")}));
    }

    void unwritableLogDoesNotStopCaller()
    {
        TestFolder folder;
        // A folder where the log file should be: it can never be opened.
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("Sentrova.Log")));
        EventLog log(folder.path());
        log.LogEvent(QStringLiteral("lost"));
        log.LogEvent(QStringLiteral("lost again"));
        QVERIFY(QFileInfo(folder.filePath(QStringLiteral("Sentrova.Log"))).isDir());

        EventLog missing(folder.filePath(QStringLiteral("no/such/folder")));
        missing.LogEvent(QStringLiteral("lost"));
        QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("no"))));
    }
};

QTEST_GUILESS_MAIN(TestEventLog)
#include "tst_eventlog.moc"
