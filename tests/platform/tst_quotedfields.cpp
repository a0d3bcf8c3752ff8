#include "platform/QuotedFields.h"

#include <QtTest>

class TestQuotedFields : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("quoted pair") << "\"10.0.0.5\",\"80\"\r\n" << QStringList{"10.0.0.5", "80"};
        QTest::newRow("empty quoted pair") << "\"\",\"\"\r\n" << QStringList{"", ""};
        QTest::newRow("comma and spaces inside quotes")
            << "\" a, b \",\"1\"\r\n" << QStringList{" a, b ", "1"};
        QTest::newRow("unquoted, spaces trimmed") << "  host , 80 \r\n" << QStringList{"host", "80"};
        QTest::newRow("pair across a line end") << "\"a\"\r\n\"1\"\r\n" << QStringList{"a", "1"};
        QTest::newRow("blank lines skipped") << "\r\n\"a\",\"1\"\r\n\r\n\n" << QStringList{"a", "1"};
        QTest::newRow("text after closing quote skipped")
            << "\"a\"junk,\"1\" junk\r\n" << QStringList{"a", "1"};
        QTest::newRow("comma at line end owes a field") << "a,\r\nb" << QStringList{"a", "", "b"};
        QTest::newRow("LF only") << "a,1\nb,2\n" << QStringList{"a", "1", "b", "2"};
        QTest::newRow("no final line end") << "\"a\",\"1\"" << QStringList{"a", "1"};
        QTest::newRow("unterminated quote runs to the end") << "\"a,1" << QStringList{"a,1"};
        QTest::newRow("odd count") << "\"a\",\"1\"\r\n\"b\"\r\n" << QStringList{"a", "1", "b"};
        QTest::newRow("empty text") << "" << QStringList{};
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QCOMPARE(QuotedFields::parse(text), fields);
    }
};

QTEST_GUILESS_MAIN(TestQuotedFields)
#include "tst_quotedfields.moc"
