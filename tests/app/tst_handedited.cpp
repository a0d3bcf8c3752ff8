#include "app/frmMain.h"
#include "notify/MailNotification.h"
#include "platform/HostGrid.h"
#include "support/TestFolder.h"

#include <QRandomGenerator>
#include <QtTest>

namespace
{
QStringList gridCells(HostGrid *grid)
{
    QStringList cells;
    for (int row = 1; row < grid->rowCount(); ++row) {
        grid->setRow(row);
        for (int column = 0; column < 2; ++column) {
            grid->setColumn(column);
            cells.append(grid->text());
        }
    }
    return cells;
}

QByteArray garbage(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

const QByteArray bom = "\xEF\xBB\xBF";
const QByteArray mailLine = "\"mx.example.org\",\"s@example.org\",\"a@example.org\",\"\",\"\",\"\",\"\"\r\n";
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
        QTest::addColumn<QStringList>("cells");    // address, port, ...; empty: not checked
        QTest::addColumn<QString>("smtpServer");   // null: not checked
        QTest::newRow("code page 932")
            << QByteArray("\"\x83\x54\x81\x5b\x83\x6f\",\"21\"\r\n")
            << QByteArray("\"\x83\x81\x81\x5b\x83\x8b\",\"s\",\"a\",\"\",\"\",\"\",\"\"\r\n")
            << QStringList{"サーバ", "21"} << "メール";
        // A byte that is no character reads as SUB; the quote after a lone
        // lead byte still ends the field.
        QTest::newRow("invalid bytes")
            << QByteArray("\"web\x81\",\"80\"\r\n\"\xA0\xFD\",\"22\"\r\n")
            << QByteArray("\"mx\xFF\",\"s\",\"a\",\"\",\"\",\"\",\"\"\r\n")
            << QStringList{"web\x1A", "80", "\x1A\x1A", "22"} << "mx\x1A";
        QTest::newRow("UTF-8 byte-order mark, ASCII text")
            << bom + "\"10.0.0.5\",\"80\"\r\n" << bom + mailLine << QStringList{"10.0.0.5", "80"}
            << "mx.example.org";
        // An editor that writes the mark wrote UTF-8 after it.
        QTest::newRow("UTF-8 byte-order mark, Japanese text")
            << bom + QStringLiteral("\"サーバ\",\"21\"\r\n").toUtf8()
            << bom + QStringLiteral("\"メール\",\"s\",\"a\",\"\",\"\",\"\",\"\"\r\n").toUtf8()
            << QStringList{"サーバ", "21"} << "メール";
        QTest::newRow("LF line ends") << QByteArray("\"a\",\"1\"\n\"b\",\"2\"\n")
                                      << QByteArray("mx\ns\na\n\"\"\n\"\"\n\"\"\n\"\"\n") << QStringList{"a", "1", "b", "2"} << "mx";
        QTest::newRow("1 MB of garbage") << garbage(1 << 20) << garbage(1 << 20) << QStringList() << QString();
    }
    void startUpReadsWhatItCan()
    {
        QFETCH(QByteArray, hostFile);
        QFETCH(QByteArray, mailFile);
        QFETCH(QStringList, cells);
        QFETCH(QString, smtpServer);
        TestFolder folder;
        folder.writeBytes(QStringLiteral("Sentrova.ini"), hostFile);
        folder.writeBytes(QStringLiteral("MailConfig.ini"), mailFile);
        frmMain window(folder.path());
        QCOMPARE(folder.logMessages().last(), QStringLiteral("Sentrova起動完了"));
        QVERIFY(window.hostGrid()->rowCount() >= 2);
        if (!cells.isEmpty())
            QCOMPARE(gridCells(window.hostGrid()), cells);
        if (!smtpServer.isNull()) {
            QVERIFY(window.isNotificationOn());
            QCOMPARE(window.mailNotification()->settings().SMTPServer, smtpServer);
        }
    }
};

QTEST_MAIN(TestHandEdited)
#include "tst_handedited.moc"
