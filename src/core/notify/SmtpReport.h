#pragma once

#include "core/notify/MailAccount.h"
#include "core/notify/MailRoute.h"
#include "core/notify/SmtpMessage.h"
#include "core/notify/SmtpReply.h"

#include <QObject>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

class EventLog;
class QSslSocket;
class QTimer;

// Sends failure reports over one socket, one dialogue at a time: greeting
// 220, EHLO 250 (or HELO 250 when EHLO is not known: 500, 502, 504), then
// with the account's STARTTLS: STARTTLS 220, the handshake and EHLO 250
// again; with a user: AUTH PLAIN 235 (or AUTH LOGIN 334 334 235 where PLAIN
// is not offered), only ever over TLS; then MAIL
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

    static constexpr int defaultStepTimeoutMs = 30000;
    // A server may scan a message before it answers its end: RFC 5321 asks
    // a client to wait 10 minutes there, so that delivered mail is not taken
    // for failed.
    static constexpr int defaultDataEndTimeoutMs = 600000;

    // The route is read as each dialogue begins.
    SmtpReport(const MailRoute &route, const EventLog &log, QObject *parent = nullptr);
    ~SmtpReport() override;

    // The account's password, for the user it belongs to, kept in memory
    // only; the account's other settings are read as each dialogue begins. A
    // report for another user, or without a password, ends before AUTH: a
    // wrong password is never tried.
    void setPassword(const QString &user, const QString &password)
    {
        m_passwordUser = user;
        m_password = password;
    }
    bool knowsPassword(const QString &user) const { return m_passwordUser == user && !m_password.isEmpty(); }
    void setStepTimeout(int milliseconds) { m_stepTimeoutMs = milliseconds; }
    int stepTimeout() const { return m_stepTimeoutMs; }
    void setDataEndTimeout(int milliseconds) { m_dataEndTimeoutMs = milliseconds; }
    int dataEndTimeout() const { return m_dataEndTimeoutMs; }
    // The name sent with HELO comes from these; tests fix them.
    void setMachineName(const QString &hostName, const QString &domainName);

    // Queues a report; done(accepted) runs once its connection has closed.
    void send(const QString &downSystem, Done done, SmtpMessage::Kind kind = SmtpMessage::Kind::Failure);

private:
    enum class Step {
        Idle,
        Connecting,   // with TLS from the first byte, up to the end of the handshake
        Greeting,
        Ehlo,
        Helo,
        StartTls,
        Handshake,   // after STARTTLS
        AuthUser,   // AUTH LOGIN's prompts
        AuthPassword,
        Auth,
        MailFrom,
        Recipient,
        Data,
        Message,
        Quit
    };
    struct Request
    {
        QString downSystem;
        SmtpMessage::Kind kind = SmtpMessage::Kind::Failure;
        Done done;
    };

    void scheduleNext();
    void startNext();
    void onConnected();
    void onEncrypted();
    void onTlsErrors();
    void onReadyRead();
    bool endOutsideDialogue();
    void onConnectionLost();
    void onTimeout();
    void handleReply(const SmtpReply &reply);
    // What follows a reply, as handleReply()'s table names it.
    void sendEhlo(const SmtpReply &);
    void onEhloAccepted(const SmtpReply &reply);
    void onEhloRefused(const SmtpReply &reply);
    void startTls(const SmtpReply &);
    void signIn();
    void sendUser(const SmtpReply &);
    void sendPassword(const SmtpReply &);
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
    QSslSocket *m_socket = nullptr;
    QTimer *m_stepTimer = nullptr;
    QString m_passwordUser;
    QString m_password;
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
    MailAccount m_account;
    QString m_tlsFailure;   // why the handshake failed, once it has
    QStringList m_recipients;
    qsizetype m_nextRecipient = 0;
    int m_acceptedRecipients = 0;
    QString m_lastRefusal;   // the reason of the last recipient refused
    bool m_greeted = false;
    bool m_accepted = false;
    // Offered in the reply to the last EHLO.
    bool m_eightBitMime = false;
    bool m_startTls = false;
    QList<QByteArray> m_authMechanisms;
    SmtpReplyReader m_reader;
};
