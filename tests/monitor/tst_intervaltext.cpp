#include "monitor/IntervalText.h"

#include <QtTest>

class TestIntervalText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void seconds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("seconds");   // -1: not a number
        QTest::addColumn<bool>("valid");
        QTest::newRow("stored default") << "60" << 60 << true;
        QTest::newRow("empty box means 20") << "" << 20 << true;
        QTest::newRow("fraction rounds up") << "15.6" << 16 << true;
        QTest::newRow("half to even down") << "2.5" << 2 << true;
        QTest::newRow("half to even up") << "3.5" << 4 << true;
        QTest::newRow("largest") << "65" << 65 << true;
        QTest::newRow("too large") << "66" << 66 << false;
        QTest::newRow("zero") << "0" << 0 << false;
        QTest::newRow("rounds to zero") << "0.4" << 0 << false;
        QTest::newRow("negative") << "-5" << -5 << false;
        QTest::newRow("words") << "abc" << -1 << false;
        QTest::newRow("huge") << "1e300" << -1 << false;
    }
    void seconds()
    {
        QFETCH(QString, text);
        QFETCH(int, seconds);
        QFETCH(bool, valid);
        const std::optional<int> result = IntervalText::seconds(text);
        QCOMPARE(result.value_or(-1), seconds);
        QCOMPARE(IntervalText::isValid(result), valid);
    }
};

QTEST_GUILESS_MAIN(TestIntervalText)
#include "tst_intervaltext.moc"
