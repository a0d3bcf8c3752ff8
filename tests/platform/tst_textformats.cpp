#include "platform/QuotedFields.h"
#include "platform/TextCodec.h"

#include <QtTest>

class TestTextFormats : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("unquoted, spaces trimmed") << "  host , 80 \r\n" << QStringList{"host", "80"};
        QTest::newRow("pair across a line end") << "\"a\"\r\n\"1\"\r\n" << QStringList{"a", "1"};
        QTest::newRow("text after closing quote skipped") << "\"a\"junk,\"1\" junk\r\n" << QStringList{"a", "1"};
        QTest::newRow("comma at line end owes a field") << "a,\r\nb" << QStringList{"a", "", "b"};
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        QCOMPARE(QuotedFields::parse(text), fields);
    }

    // Only texts that come back unchanged may be stored: anything else would
    // be saved silently as another character.
    void canEncode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("storable");
        QTest::newRow("japanese") << QStringLiteral("サーバー監視報告") << true;
        QTest::newRow("full-width tilde of cp932") << QStringLiteral("～") << true;
        QTest::newRow("emoji") << QStringLiteral("web😀") << false;
    }
    void canEncode()
    {
        QFETCH(QString, text);
        QFETCH(bool, storable);
        QCOMPARE(TextCodec::canEncode(text), storable);
    }
};

QTEST_GUILESS_MAIN(TestTextFormats)
#include "tst_textformats.moc"
