#include "monitor/IntervalText.h"
#include "monitor/PortText.h"

#include <QtTest>

// The interval box and the port column are read as numbers the way the
// operator means them: leading number, half rounded to even.
class TestFieldTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void intervalSeconds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");   // -1: not a number
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty box means 20") << "" << 20 << true;
        QTest::newRow("fraction rounds up") << "15.6" << 16 << true;
        QTest::newRow("half to even down") << "2.5" << 2 << true;
        QTest::newRow("too large") << "66" << 66 << false;
        QTest::newRow("rounds to zero") << "0.4" << 0 << false;
        QTest::newRow("words") << "abc" << -1 << false;
        QTest::newRow("huge") << "1e300" << -1 << false;
    }
    void intervalSeconds()
    {
        QFETCH(QString, text);
        QFETCH(int, seconds);
        QFETCH(bool, valid);
        const std::optional<int> result = IntervalText::seconds(text);
        QCOMPARE(result.value_or(-1), seconds);
        QCOMPARE(IntervalText::isValid(result), valid);
    }

    void port_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");   // 0: not a port
        QTest::newRow("number then text") << "25/smtp" << 25;
        QTest::newRow("half rounds to even, up") << "81.5" << 82;
        QTest::newRow("too large") << "65536" << 0;
        QTest::newRow("rounds to zero") << "0.4" << 0;
        QTest::newRow("not a number") << "http" << 0;
        QTest::newRow("huge exponent") << "1e999" << 0;
    }
    void port()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(PortText::port(text), port);
    }
};

QTEST_GUILESS_MAIN(TestFieldTexts)
#include "tst_fieldtexts.moc"
