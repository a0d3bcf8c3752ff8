#include "FakeSmtpServer.h"

#include "log/EventLog.h"
#include "notify/SmtpReport.h"
#include "support/TestFolder.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>

namespace
{
// Stands between the sender and a server and passes the server's replies on
// one byte at a time, each in its own write, as a slow link or a badly
// written server does.
class ByteByByteRelay : public QObject
{
public:
    explicit ByteByByteRelay(quint16 serverPort)
    {
        connect(&m_listener, &QTcpServer::newConnection, this, [this, serverPort] {
            QTcpSocket *client = m_listener.nextPendingConnection();
            auto *server = new QTcpSocket(client);
            auto *drip = new QTimer(client);
            drip->setInterval(1);
            connect(client, &QTcpSocket::readyRead, server, [client, server] { server->write(client->readAll()); });
            connect(server, &QTcpSocket::readyRead, drip, [drip] { drip->start(); });
            connect(drip, &QTimer::timeout, client, [this, client, server, drip] {
                if (server->bytesAvailable() > 0) {
                    client->write(server->read(1));
                    client->flush();
                    ++m_writes;
                } else if (server->state() != QAbstractSocket::ConnectedState) {
                    client->disconnectFromHost();
                } else {
                    drip->stop();
                }
            });
            connect(server, &QTcpSocket::disconnected, drip, [drip] { drip->start(); });
            connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
            server->connectToHost(QHostAddress::LocalHost, serverPort);
        });
        m_listener.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return m_listener.serverPort(); }
    int writes() const { return m_writes; }

private:
    QTcpServer m_listener;
    int m_writes = 0;
};

enum Fault { NeverAnswers, ClosesMidDialogue, ByteByByte };
}
Q_DECLARE_METATYPE(Fault)

class TestSmtpFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each fault ends within bounded time, is logged, and the report queued
    // behind it goes out as usual.
    void nextReportWorksAfterFault_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("firstLogLine");
        const QString noAnswer = QStringLiteral("「web01」のサーバー障害の報告に失敗しました。 応答がありません");
        QTest::newRow("accepts and never answers") << NeverAnswers << noAnswer;
        QTest::newRow("closes mid-dialogue") << ClosesMidDialogue << noAnswer;
        QTest::newRow("answers byte by byte") << ByteByByte << QStringLiteral("web01サーバー障害の報告を行いました。 ");
    }
    void nextReportWorksAfterFault()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, firstLogLine);
        TestFolder folder;
        EventLog log(folder.path());
        FakeSmtpServer server;
        ByteByByteRelay relay(server.port());
        const MailSettings settings{QStringLiteral("127.0.0.1"), QStringLiteral("sentrova@example.org"),
                                    QStringLiteral("ops@example.org"), {}, {}, {}, {}};
        SmtpReport report([&] { return settings; }, [&](const QString &text) { log.LogEvent(text); });
        report.setMachineName(QStringLiteral("monitor"), QStringLiteral("example.org"));
        // A silent server is given up on after 300 ms; a slow one that keeps
        // talking gets time for a whole reply.
        report.setStepTimeout(fault == ByteByByte ? 3000 : 300);
        report.setPort(fault == ByteByByte ? relay.port() : server.port());
        server.silentAt = fault == NeverAnswers ? "GREETING" : "";
        server.hangUpAt = fault == ClosesMidDialogue ? "DATA" : "";
        // A multi-line reply split anywhere must still be read whole.
        server.replies["HELO"] = {"250-fake.test\r\n250-PIPELINING\r\n250 8BITMIME\r\n"};

        QList<bool> results;
        QElapsedTimer clock;
        clock.start();
        qint64 firstMs = 0;
        report.send(QStringLiteral("web01"), [&](bool accepted) {
            firstMs = clock.elapsed();
            results.append(accepted);
            server.silentAt.clear();
            server.hangUpAt.clear();
            report.setPort(server.port());
        });
        report.send(QStringLiteral("db02"), [&](bool accepted) { results.append(accepted); });
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 15000);
        if (fault != ByteByByte)
            QVERIFY2(firstMs < 2000, "a step waited far longer than its timeout");
        QCOMPARE(results, (QList<bool>{fault == ByteByByte, true}));
        QCOMPARE(folder.logMessages(),
                 (QStringList{firstLogLine, QStringLiteral("db02サーバー障害の報告を行いました。 ")}));
        QCOMPARE(server.sessions.size(), 2);
        if (fault == ByteByByte) {
            QCOMPARE(server.sessions.at(0).commands.last(), QByteArray("QUIT"));
            QVERIFY(relay.writes() > 100);
        }
    }
};

QTEST_GUILESS_MAIN(TestSmtpFaults)
#include "tst_smtpfaults.moc"
