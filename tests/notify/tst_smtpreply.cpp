#include "notify/SmtpReply.h"

#include <QtTest>

using ByteList = QList<QByteArray>;

class TestSmtpReply : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replies_data()
    {
        QTest::addColumn<ByteList>("chunks");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<ByteList>("lastLines");
        QTest::newRow("one line") << ByteList{"220 mx ESMTP\r\n"} << QList<int>{220} << ByteList{"220 mx ESMTP"};
        QTest::newRow("code alone") << ByteList{"250\r\n"} << QList<int>{250} << ByteList{"250"};
        QTest::newRow("multi-line")
            << ByteList{"250-mx\r\n250-PIPELINING\r\n250 8BITMIME\r\n"} << QList<int>{250} << ByteList{"250 8BITMIME"};
        QTest::newRow("split anywhere")
            << ByteList{"25", "0-mx\r", "\n250", " ok", "\r\n"} << QList<int>{250} << ByteList{"250 ok"};
        QTest::newRow("two in one read")
            << ByteList{"220 hi\r\n250 ok\r\n"} << QList<int>{220, 250} << ByteList{"220 hi", "250 ok"};
        QTest::newRow("bare line feed") << ByteList{"354 go\n"} << QList<int>{354} << ByteList{"354 go"};
        QTest::newRow("unfinished") << ByteList{"250-mx\r\n250 ok"} << QList<int>{} << ByteList{};
        QTest::newRow("not digits") << ByteList{"hello\r\n250 ok\r\n"} << QList<int>{0, 250}
                                    << ByteList{"hello", "250 ok"};
        QTest::newRow("no separator") << ByteList{"250ok\r\n"} << QList<int>{0} << ByteList{"250ok"};
        QTest::newRow("empty line") << ByteList{"\r\n"} << QList<int>{0} << ByteList{""};
        QTest::newRow("final code differs") << ByteList{"250-a\r\n550 b\r\n"} << QList<int>{550} << ByteList{"550 b"};

        // An overlong line gives the same replies however it is split into
        // reads, and its tail is never taken for a reply of its own.
        const QByteArray x(5000, 'x');
        const QByteArray cut = '?' + x.left(SmtpReplyReader::maxLineLength);
        QTest::newRow("overlong line in one read")
            << ByteList{x + "\r\n250 ok\r\n"} << QList<int>{0, 250} << ByteList{cut, "250 ok"};
        QTest::newRow("overlong line over reads")
            << ByteList{x.left(4500), x.left(500) + "\r", "\n250 ok\r\n"} << QList<int>{0, 250} << ByteList{cut, "250 ok"};
        QTest::newRow("tail of an overlong line looks like a reply")
            << ByteList{x.left(4200), "250 ok\r\n"} << QList<int>{0} << ByteList{cut};
        const QByteArray longest = "250 " + QByteArray(SmtpReplyReader::maxLineLength - 4, 'a');
        QTest::newRow("longest line, CR in the same read as the line")
            << ByteList{longest + "\r", "\n"} << QList<int>{250} << ByteList{longest};
    }
    void replies()
    {
        QFETCH(ByteList, chunks);
        QFETCH(QList<int>, codes);
        QFETCH(ByteList, lastLines);
        SmtpReplyReader reader;
        QList<int> gotCodes;
        ByteList gotLines;
        for (const QByteArray &chunk : chunks) {
            reader.feed(chunk);
            while (std::optional<SmtpReply> reply = reader.take()) {
                gotCodes.append(reply->code);
                gotLines.append(reply->lastLine());
            }
        }
        QCOMPARE(gotCodes, codes);
        QCOMPARE(gotLines, lastLines);
    }

    void endlessInputIsBounded_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("line without end") << QByteArray(100000, 'x') << QByteArray();
        QTest::newRow("endless continuation") << QByteArray("250-more\r\n").repeated(1000) << QByteArray("250-more");
    }
    void endlessInputIsBounded()
    {
        // A hostile server gets a refusal (code 0), not an ever-growing buffer.
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, prefix);
        SmtpReplyReader reader;
        reader.feed(line);
        const std::optional<SmtpReply> reply = reader.take();
        QVERIFY(reply);
        QCOMPARE(reply->code, 0);
        QVERIFY(reply->lines.size() <= SmtpReplyReader::maxLines);
        for (const QByteArray &kept : reply->lines)
            QVERIFY(kept.size() <= SmtpReplyReader::maxLineLength + 1);
        QVERIFY(reply->lastLine().startsWith(prefix));
    }
};

QTEST_MAIN(TestSmtpReply)
#include "tst_smtpreply.moc"
