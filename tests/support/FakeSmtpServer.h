#pragma once

#include <QMap>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

// An SMTP server on 127.0.0.1 that records every byte it receives and answers
// from a table, so that a test can make it refuse, fall silent or hang up at
// any step.
class FakeSmtpServer : public QObject
{
public:
    struct Session
    {
        QByteArray received;          // every byte, in order
        QList<QByteArray> commands;   // the command lines, without CR LF
        QByteArray message;           // after DATA's reply, to "." CR LF included
        bool closed = false;
        QByteArray pending;
        bool inData = false;
    };

    // Replies by verb ("GREETING", "HELO", "MAIL", "RCPT", "DATA", "END" for
    // the message, "QUIT"), raw with their line ends; the n-th command of a
    // verb gets the n-th reply, the last one repeats.
    QMap<QByteArray, QList<QByteArray>> replies{
        {"GREETING", {"220 fake.test ESMTP\r\n"}}, {"HELO", {"250 fake.test\r\n"}}, {"MAIL", {"250 2.1.0 Ok\r\n"}},
        {"RCPT", {"250 2.1.5 Ok\r\n"}}, {"DATA", {"354 go on\r\n"}}, {"END", {"250 2.0.0 Ok: queued\r\n"}},
        {"QUIT", {"221 2.0.0 Bye\r\n"}}};
    QByteArray silentAt;   // the verb at which the server says nothing more
    QByteArray hangUpAt;   // the verb at which it hangs up
    QList<Session> sessions;
    QStringList events;    // "open 1", "quit 1", "close 1", ... as seen

    FakeSmtpServer()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                const int index = int(sessions.size());
                sessions.append(Session{});
                events.append(QStringLiteral("open %1").arg(index + 1));
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, index] { read(socket, index); });
                connect(socket, &QTcpSocket::disconnected, this, [this, index] {
                    sessions[index].closed = true;
                    events.append(QStringLiteral("close %1").arg(index + 1));
                });
                answer(socket, sessions[index], "GREETING");
            }
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    static QByteArray verbOf(const QByteArray &line) { return line.split(' ').first().split(':').first().toUpper(); }

    void read(QTcpSocket *socket, int index)
    {
        Session &session = sessions[index];
        const QByteArray bytes = socket->readAll();
        session.received += bytes;
        session.pending += bytes;
        for (qsizetype end; (end = session.pending.indexOf(session.inData ? "\r\n.\r\n" : "\n")) >= 0;) {
            if (session.inData) {
                session.message = session.pending.left(end + 5);
                session.pending.remove(0, end + 5);
                answer(socket, session, "END");
                continue;
            }
            QByteArray line = session.pending.left(end);
            session.pending.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            session.commands.append(line);
            if (verbOf(line) == "QUIT")
                events.append(QStringLiteral("quit %1").arg(index + 1));
            answer(socket, session, verbOf(line));
        }
    }

    void answer(QTcpSocket *socket, Session &session, const QByteArray &verb)
    {
        session.inData = false;
        if (silentAt == verb)
            return;
        if (hangUpAt == verb)
            return socket->disconnectFromHost();
        const QList<QByteArray> table = replies.value(verb, {"500 5.5.2 command not recognized\r\n"});
        const auto n = std::count_if(session.commands.cbegin(), session.commands.cend(),
                                     [&verb](const QByteArray &command) { return verbOf(command) == verb; });
        const QByteArray reply = table.at(std::clamp<qsizetype>(n - 1, 0, table.size() - 1));
        socket->write(reply);
        session.inData = verb == "DATA" && reply.startsWith("354");
        if (verb == "QUIT")
            socket->disconnectFromHost();
    }

    QTcpServer m_server;
};
