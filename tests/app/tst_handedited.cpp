#include "app/frmMain.h"
#include "notify/MailNotification.h"
#include "support/GridTexts.h"
#include "support/TestFolder.h"

#include <QRandomGenerator>
#include <QtTest>

namespace
{
const QByteArray bom = "\xEF\xBB\xBF";
const QByteArray mailTail = ",\"s\",\"a\",\"\",\"\",\"\",\"\"\r\n";
}

class TestHandEdited : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Files an operator edited by hand, read by the real start-up: what can
    // be read is read, and the program comes up in every case.
    void startUpReadsWhatItCan_data()
    {
        QTest::addColumn<QByteArray>("hostFile");
        QTest::addColumn<QByteArray>("mailFile");
        QTest::addColumn<QStringList>("addresses");   // empty: not checked
        QTest::addColumn<QString>("smtpServer");   // null: not checked
        QTest::newRow("code page 932") << QByteArray("\"\x83\x54\x81\x5b\x83\x6f\",\"21\"\r\n")
                                       << "\"\x83\x81\x81\x5b\x83\x8b\"" + mailTail << QStringList{"サーバ"} << "メール";
        // A byte that is no character reads as SUB; the quote after a lone
        // lead byte still ends the field.
        QTest::newRow("invalid bytes") << QByteArray("\"web\x81\",\"80\"\r\n\"\xA0\xFD\",\"22\"\r\n") << "\"mx\xFF\"" + mailTail
                                       << QStringList{"web\x1A", "\x1A\x1A"} << "mx\x1A";
        QTest::newRow("UTF-8 byte-order mark, ASCII text") << bom + "\"10.0.0.5\",\"80\"\r\n" << bom + "\"mx\"" + mailTail
                                                           << QStringList{"10.0.0.5"} << "mx";
        // An editor that writes the mark wrote UTF-8 after it.
        QTest::newRow("UTF-8 byte-order mark, Japanese text")
            << bom + QStringLiteral("\"サーバ\",\"21\"\r\n").toUtf8() << bom + QStringLiteral("\"メール\"").toUtf8() + mailTail
            << QStringList{"サーバ"} << "メール";
        QTest::newRow("LF line ends") << QByteArray("\"a\",\"1\"\n\"b\",\"2\"\n") << QByteArray("mx\ns\na\n\"\"\n\"\"\n\"\"\n\"\"\n")
                                      << QStringList{"a", "b"} << "mx";
        QByteArray garbage(1 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);
        QTest::newRow("1 MB of garbage") << garbage << garbage << QStringList() << QString();
    }
    void startUpReadsWhatItCan()
    {
        QFETCH(QByteArray, hostFile);
        QFETCH(QByteArray, mailFile);
        QFETCH(QStringList, addresses);
        QFETCH(QString, smtpServer);
        TestFolder folder;
        folder.writeBytes(QStringLiteral("Sentrova.ini"), hostFile);
        folder.writeBytes(QStringLiteral("MailConfig.ini"), mailFile);
        frmMain window(folder.path());
        QCOMPARE(folder.logMessages().last(), QStringLiteral("Sentrova起動完了"));
        QVERIFY(window.hostGrid()->rowCount() >= 2);
        if (!addresses.isEmpty())
            QCOMPARE(columnTexts(*window.hostGrid(), 0), addresses);
        if (!smtpServer.isNull())
            QCOMPARE(window.isNotificationOn() ? window.mailNotification()->settings().SMTPServer : QString(), smtpServer);
    }
};

QTEST_MAIN(TestHandEdited)
#include "tst_handedited.moc"
