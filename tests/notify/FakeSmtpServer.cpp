#include "FakeSmtpServer.h"

#include <QTcpSocket>

namespace
{
QByteArray verbOf(const QByteArray &command)
{
    return command.split(' ').first().split(':').first().toUpper();
}
}

FakeSmtpServer::FakeSmtpServer()
{
    replies = {{"HELO", {"250 fake.test\r\n"}}, {"MAIL", {"250 2.1.0 Ok\r\n"}},
               {"RCPT", {"250 2.1.5 Ok\r\n"}},  {"DATA", {"354 End data with <CR><LF>.<CR><LF>\r\n"}},
               {"END", {"250 2.0.0 Ok: queued\r\n"}}, {"QUIT", {"221 2.0.0 Bye\r\n"}}};
    connect(&m_server, &QTcpServer::newConnection, this, &FakeSmtpServer::accept);
    m_server.listen(QHostAddress::LocalHost, 0);
}

void FakeSmtpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const int index = int(sessions.size());
        sessions.append(Session{});
        m_index.insert(socket, index);
        m_inData.insert(socket, false);
        events.append(QStringLiteral("open %1").arg(index + 1));
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, index] {
            sessions[index].closed = true;
            events.append(QStringLiteral("close %1").arg(index + 1));
            socket->deleteLater();
            Q_EMIT sessionClosed();
        });
        if (silentAt == "GREETING")
            continue;
        if (hangUpAt == "GREETING") {
            socket->disconnectFromHost();
            continue;
        }
        socket->write(greeting);
    }
}

void FakeSmtpServer::readFrom(QTcpSocket *socket)
{
    Session &session = sessions[m_index.value(socket)];
    const QByteArray bytes = socket->readAll();
    session.received.append(bytes);
    QByteArray &pending = m_pending[socket];
    pending.append(bytes);
    for (;;) {
        if (m_inData.value(socket)) {
            const qsizetype end = pending.indexOf("\r\n.\r\n");
            if (end < 0)
                return;
            session.message = pending.left(end + 5);
            pending.remove(0, end + 5);
            m_inData[socket] = false;
            answer(socket, session, "END");
            continue;
        }
        const qsizetype end = pending.indexOf('\n');
        if (end < 0)
            return;
        QByteArray line = pending.left(end);
        pending.remove(0, end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        session.commands.append(line);
        if (verbOf(line) == "QUIT")
            events.append(QStringLiteral("quit %1").arg(m_index.value(socket) + 1));
        answer(socket, session, verbOf(line));
    }
}

void FakeSmtpServer::answer(QTcpSocket *socket, Session &session, const QByteArray &verb)
{
    if (silentAt == verb)
        return;
    if (hangUpAt == verb) {
        socket->disconnectFromHost();
        return;
    }
    const QList<QByteArray> table = replies.value(verb, {"500 5.5.2 Error: command not recognized\r\n"});
    qsizetype n = 0;
    for (const QByteArray &command : std::as_const(session.commands)) {
        if (verbOf(command) == verb)
            ++n;
    }
    const QByteArray reply = table.at(std::clamp<qsizetype>(n - 1, 0, table.size() - 1));
    socket->write(reply);
    if (verb == "DATA" && reply.startsWith("354"))
        m_inData[socket] = true;
    if (verb == "QUIT")
        socket->disconnectFromHost();
}
