#pragma once

#include "core/notify/MailRoute.h"
#include "core/notify/SmtpMessage.h"
#include "core/notify/SmtpReply.h"

#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

class EventLog;
class QTcpSocket;
class QTimer;

// Sends failure reports over one socket, one dialogue at a time: greeting
// 220, EHLO 250 (or HELO 250 when EHLO is not known: 500, 502, 504), MAIL
// FROM 250, RCPT TO 250 (a refused recipient is logged and skipped while
// another is accepted), DATA 354, the message 250, then QUIT. Every wait is
// bounded by the step timeout, the one for the message's end by 10 minutes. A report asked for while one is under way waits its turn; none is
// dropped. The log says the report was made only after the server accepted
// the message, and says why otherwise.
class SmtpReport : public QObject
{
    Q_OBJECT

public:
    using Done = std::function<void(bool accepted)>;

    static constexpr quint16 defaultPort = 25;
    static constexpr int defaultStepTimeoutMs = 30000;
    // A server may scan a message before it answers its end: RFC 5321 asks
    // a client to wait 10 minutes there, so that delivered mail is not taken
    // for failed.
    static constexpr int defaultDataEndTimeoutMs = 600000;

    // The route is read as each dialogue begins.
    SmtpReport(const MailRoute &route, const EventLog &log, QObject *parent = nullptr);
    ~SmtpReport() override;

    void setPort(quint16 port) { m_port = port; }
    void setStepTimeout(int milliseconds) { m_stepTimeoutMs = milliseconds; }
    int stepTimeout() const { return m_stepTimeoutMs; }
    void setDataEndTimeout(int milliseconds) { m_dataEndTimeoutMs = milliseconds; }
    int dataEndTimeout() const { return m_dataEndTimeoutMs; }
    // The name sent with HELO comes from these; tests fix them.
    void setMachineName(const QString &hostName, const QString &domainName);

    // Queues a report; done(accepted) runs once its connection has closed.
    void send(const QString &downSystem, Done done, SmtpMessage::Kind kind = SmtpMessage::Kind::Failure);

private:
    enum class Step { Idle, Connecting, Greeting, Ehlo, Helo, MailFrom, Recipient, Data, Message, Quit };
    struct Request
    {
        QString downSystem;
        SmtpMessage::Kind kind = SmtpMessage::Kind::Failure;
        Done done;
    };

    void scheduleNext();
    void startNext();
    void onConnected();
    void onReadyRead();
    bool endOutsideDialogue();
    void onConnectionLost();
    void onTimeout();
    void handleReply(const SmtpReply &reply);
    // What follows a reply, as handleReply()'s table names it.
    void sendEhlo(const SmtpReply &);
    void onEhloAccepted(const SmtpReply &reply);
    void onEhloRefused(const SmtpReply &reply);
    void sendMailFrom(const SmtpReply &);
    void sendNextRecipient(const SmtpReply &);
    void onRecipientAccepted(const SmtpReply &reply);
    void onRecipientRefused(const SmtpReply &reply);
    void sendMessage(const SmtpReply &);
    void onMessageAccepted(const SmtpReply &);
    void onQuitAnswered(const SmtpReply &);
    void failWithReply(const SmtpReply &reply);
    void logRefusal(const QString &recipient, const QString &reason);
    void sendLine(const QByteArray &line, Step next);
    QString heloName() const;
    void logFailure(const QString &reason);
    // Logs the failure, then says QUIT when the server greeted and is still
    // there, else closes at once.
    void fail(const QString &reason);
    void finish();
    QString reasonOf(const QByteArray &replyLine) const;

    const MailRoute &m_configured;
    const EventLog &m_log;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_stepTimer = nullptr;
    quint16 m_port = defaultPort;
    int m_stepTimeoutMs = defaultStepTimeoutMs;
    int m_dataEndTimeoutMs = defaultDataEndTimeoutMs;
    QString m_hostName;
    QString m_domainName;

    QQueue<Request> m_queue;
    bool m_startScheduled = false;

    // The dialogue under way.
    Step m_step = Step::Idle;
    Request m_current;
    MailRoute m_route;
    QStringList m_recipients;
    qsizetype m_nextRecipient = 0;
    int m_acceptedRecipients = 0;
    QString m_lastRefusal;   // the reason of the last recipient refused
    bool m_greeted = false;
    bool m_accepted = false;
    bool m_eightBitMime = false;   // offered in the reply to EHLO
    SmtpReplyReader m_reader;
};
