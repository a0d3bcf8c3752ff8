#include "platform/TextCodec.h"

#include <QtTest>

class TestTextCodec : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Only texts that come back unchanged may be stored: anything else would
    // be saved silently as another character.
    void canEncode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("storable");
        QTest::newRow("ascii host") << QStringLiteral("mail.example.jp") << true;
        QTest::newRow("japanese") << QStringLiteral("サーバー監視報告") << true;
        QTest::newRow("half-width kana") << QStringLiteral("ｻｰﾊﾞｰ") << true;
        QTest::newRow("full-width tilde of cp932") << QStringLiteral("～") << true;
        QTest::newRow("umlaut") << QStringLiteral("bücher.example") << false;
        QTest::newRow("minus sign U+2212") << QStringLiteral("a−b") << false;
        QTest::newRow("emoji") << QStringLiteral("web😀") << false;
        QTest::newRow("empty") << QString() << true;
    }
    void canEncode()
    {
        QFETCH(QString, text);
        QFETCH(bool, storable);
        QCOMPARE(TextCodec::canEncode(text), storable);
    }
};

QTEST_GUILESS_MAIN(TestTextCodec)
#include "tst_textcodec.moc"
