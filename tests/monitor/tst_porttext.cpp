#include "monitor/PortText.h"

#include <QtTest>

class TestPortText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void port_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("plain") << "80" << 80;
        QTest::newRow("leading blanks") << "  8080" << 8080;
        QTest::newRow("number then text") << "25/smtp" << 25;
        QTest::newRow("half rounds to even, down") << "80.5" << 80;
        QTest::newRow("half rounds to even, up") << "81.5" << 82;
        QTest::newRow("highest") << "65535" << 65535;
        QTest::newRow("too large") << "65536" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("negative") << "-21" << 0;
        QTest::newRow("rounds to zero") << "0.4" << 0;
        QTest::newRow("not a number") << "http" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("huge exponent") << "1e999" << 0;
    }
    void port()
    {
        QFETCH(QString, text);
        QFETCH(int, port);
        QCOMPARE(PortText::port(text), port);
    }
};

QTEST_APPLESS_MAIN(TestPortText)
#include "tst_porttext.moc"
