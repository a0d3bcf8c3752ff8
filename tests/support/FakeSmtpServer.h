#pragma once

#include <QtNetwork>

// An SMTP server on 127.0.0.1 that records the commands and the message it receives and answers from a table,
// so that a test can make it refuse, fall silent or hang up at any step.
class FakeSmtpServer : public QTcpServer
{
public:
    struct Session
    {
        QList<QByteArray> commands;   // the command lines, without CR LF
        QByteArray message;           // after DATA's reply, to "." CR LF included
        bool closed = false;
        QByteArray pending;
        bool inData = false;
        qsizetype tlsFrom = -1;   // the first command that came over TLS
    };

    // Replies by verb ("GREETING", "HELO", "STARTTLS", "AUTH", "MAIL", "RCPT", "DATA", "END" for the message, "QUIT") with their line ends; a verb's n-th
    // command gets the n-th reply, the last repeating. "silent" and "hang up" end the server's part, as a 421 does after it; "slow " delays a reply 600 ms.
    QMap<QByteArray, QList<QByteArray>> replies{
        {"GREETING", {"220 fake.test ESMTP\r\n"}}, {"HELO", {"250 fake.test\r\n"}}, {"MAIL", {"250 2.1.0 Ok\r\n"}},
        {"RCPT", {"250 2.1.5 Ok\r\n"}}, {"DATA", {"354 go on\r\n"}}, {"END", {"250 2.0.0 Ok: queued\r\n"}},
        {"QUIT", {"221 2.0.0 Bye\r\n"}}, {"STARTTLS", {"220 2.0.0 go ahead\r\n"}}, {"AUTH", {"235 2.7.0 ok\r\n"}}};
    QList<Session> sessions;
    // With a certificate, a STARTTLS answered 220 starts TLS; with implicitTls too, the greeting waits for it.
    QSslConfiguration tls;
    bool implicitTls = false;

    FakeSmtpServer() { listen(QHostAddress::LocalHost); }
    quint16 port() const { return serverPort(); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        socket->setSslConfiguration(tls);
        const int index = int(sessions.size());
        sessions.append(Session{});
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, index] { read(socket, sessions[index]); });
        connect(socket, &QTcpSocket::disconnected, this, [this, index] { sessions[index].closed = true; });
        const auto greet = [this, socket, index] { answer(socket, sessions[index], "GREETING"); };
        if (!implicitTls)
            return greet();
        sessions[index].tlsFrom = 0;
        connect(socket, &QSslSocket::encrypted, this, greet);
        socket->startServerEncryption();
    }

private:
    static QByteArray verbOf(const QByteArray &line) { return line.split(' ').first().split(':').first().toUpper(); }

    void read(QSslSocket *socket, Session &session)
    {
        session.pending += socket->readAll();
        for (qsizetype end; (end = session.pending.indexOf(session.inData ? "\r\n.\r\n" : "\r\n")) >= 0;) {
            const QByteArray part = session.pending.left(end + (session.inData ? 5 : 0));
            session.pending.remove(0, end + (session.inData ? 5 : 2));
            session.inData ? void(session.message = part) : session.commands.append(part);
            answer(socket, session, session.inData ? QByteArray("END") : verbOf(part));
        }
    }

    void answer(QSslSocket *socket, Session &session, const QByteArray &verb)
    {
        const QList<QByteArray> table = replies.value(verb, {"500 5.5.2 command not recognized\r\n"});
        const auto n = std::ranges::count(session.commands, verb, &FakeSmtpServer::verbOf);
        const QByteArray reply = table.at(std::clamp<qsizetype>(n - 1, 0, table.size() - 1));
        session.inData = verb == "DATA" && reply.startsWith("354");
        if (reply.startsWith("slow "))   // after 600 ms
            QTimer::singleShot(600, socket, [socket, reply] { socket->write(reply.mid(5)); });
        else if (reply != "silent" && reply != "hang up")
            socket->write(reply);
        if (reply == "hang up" || reply.startsWith("421") || (verb == "QUIT" && reply != "silent"))
            socket->disconnectFromHost();
        if (verb == "STARTTLS" && reply.startsWith("220")) {
            session.tlsFrom = session.commands.size();
            socket->startServerEncryption();
        }
    }
};
