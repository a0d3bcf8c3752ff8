#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTcpServer>

class QTcpSocket;

// An SMTP server on 127.0.0.1 with a port of the system's choice that records
// every byte it receives and answers from a table, so that a test can make it
// refuse, fall silent or hang up at any step.
class FakeSmtpServer : public QObject
{
    Q_OBJECT

public:
    struct Session
    {
        QByteArray received;          // every byte, in order
        QList<QByteArray> commands;   // the command lines, without CR LF
        QByteArray message;           // what came between DATA's reply and "." CR LF, the end included
        bool closed = false;
    };

    FakeSmtpServer();
    quint16 port() const { return m_server.serverPort(); }

    // Sent as soon as a connection is accepted; empty: no greeting at all.
    QByteArray greeting = "220 fake.test ESMTP\r\n";
    // Replies by command verb ("HELO", "MAIL", "RCPT", "DATA", "QUIT"); for a
    // verb given several times the n-th command gets the n-th reply (the
    // last one repeats). "END" is the reply to the message.
    QMap<QByteArray, QList<QByteArray>> replies;
    // A verb (or "END") at which the server says nothing more, or hangs up.
    QByteArray silentAt;
    QByteArray hangUpAt;

    QList<Session> sessions;
    QStringList events;   // "open 1", "quit 1", "close 1", ... in the order seen

Q_SIGNALS:
    void sessionClosed();

private:
    void accept();
    void readFrom(QTcpSocket *socket);
    void answer(QTcpSocket *socket, Session &session, const QByteArray &verb);

    QTcpServer m_server;
    QHash<QTcpSocket *, int> m_index;
    QHash<QTcpSocket *, bool> m_inData;
    QHash<QTcpSocket *, QByteArray> m_pending;
};
