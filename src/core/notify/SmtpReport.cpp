#include "core/notify/SmtpReport.h"

#include "core/base/AbandonedLookups.h"
#include "core/base/Clock.h"
#include "core/base/TextCodec.h"
#include "core/log/EventLog.h"
#include "core/notify/SmtpMessage.h"

#include <QHostInfo>
#include <QSslSocket>
#include <QTimer>

namespace
{
const QString cannotConnect = QStringLiteral("接続できません");
const QString noAnswer = QStringLiteral("応答がありません");
const QString noAddress = QStringLiteral("送信者または受信者が設定されていません");
const QString notAscii = QStringLiteral("送信者または受信者のアドレスに使用できない文字が含まれています");
const QString notAnAddress = QStringLiteral("アドレスの形式が正しくありません");
const QString noStartTls = QStringLiteral("サーバーがSTARTTLSに対応していません");
const QString noSignInWithoutTls = QStringLiteral("暗号化されていない接続ではサインインしません");
const QString noSignInMethod = QStringLiteral("サーバーがPLAINでもLOGINでもサインインを受け付けません");
const QString noPassword = QStringLiteral("パスワードが設定されていません");
constexpr qsizetype maxReasonLength = 200;

bool isPlainAscii(const QString &address)
{
    return std::all_of(address.cbegin(), address.cend(),
                       [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7F; });
}

// The keyword line of an EHLO reply that starts with the keyword, split in
// words; empty when the server does not offer it. Keyword lines follow the
// greeting line.
QList<QByteArray> offered(const SmtpReply &reply, const QByteArray &keyword)
{
    for (qsizetype i = 1; i < reply.lines.size(); ++i) {
        // "AUTH=LOGIN PLAIN" is an older form of "AUTH LOGIN PLAIN".
        const QList<QByteArray> words = reply.lines.at(i).mid(4).toUpper().replace('=', ' ').split(' ');
        if (words.first() == keyword)
            return words;
    }
    return {};
}

QString cannotUseTls(const QString &why)
{
    return QStringLiteral("TLSで接続できません (%1)").arg(why);
}

// Why the certificate was not taken, in the operator's words.
QString tlsFailureOf(const QList<QSslError> &errors)
{
    for (const QSslError &error : errors) {
        switch (error.error()) {
        case QSslError::CertificateExpired:
            return QStringLiteral("サーバーの証明書の有効期限が切れています");
        case QSslError::HostNameMismatch:
            return QStringLiteral("サーバーの証明書の名前がサーバー名と一致しません");
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
            return QStringLiteral("サーバーの証明書の発行者を確認できません");
        default:
            break;
        }
    }
    return cannotUseTls(errors.value(0).errorString());
}
}

SmtpReport::SmtpReport(const MailRoute &route, const EventLog &log, QObject *parent)
    : QObject(parent)
    , m_configured(route)
    , m_log(log)
    , m_socket(new QSslSocket(this))
    , m_stepTimer(new QTimer(this))
    , m_hostName(QHostInfo::localHostName())
    , m_domainName(QHostInfo::localDomainName())
{
    m_stepTimer->setSingleShot(true);
    connect(m_stepTimer, &QTimer::timeout, this, &SmtpReport::onTimeout);
    connect(m_socket, &QSslSocket::connected, this, &SmtpReport::onConnected);
    connect(m_socket, &QSslSocket::encrypted, this, &SmtpReport::onEncrypted);
    connect(m_socket, &QSslSocket::sslErrors, this, &SmtpReport::onTlsErrors);
    connect(m_socket, &QSslSocket::readyRead, this, &SmtpReport::onReadyRead);
    connect(m_socket, &QSslSocket::errorOccurred, this, &SmtpReport::onConnectionLost);
    connect(m_socket, &QSslSocket::disconnected, this, &SmtpReport::onConnectionLost);
}

SmtpReport::~SmtpReport()
{
    // The program is ending: the report under way is abandoned silently.
    if (m_socket->state() == QAbstractSocket::HostLookupState)
        AbandonedLookups::note();
    m_socket->disconnect(this);
}

void SmtpReport::setMachineName(const QString &hostName, const QString &domainName)
{
    m_hostName = hostName;
    m_domainName = domainName;
}

void SmtpReport::send(const QString &downSystem, Done done, SmtpMessage::Kind kind)
{
    m_queue.enqueue({downSystem, kind, std::move(done)});
    scheduleNext();
}

void SmtpReport::scheduleNext()
{
    // Started from the event loop, so that a caller inside a done callback or
    // a socket signal never runs a dialogue within another.
    if (m_step != Step::Idle || m_startScheduled || m_queue.isEmpty())
        return;
    m_startScheduled = true;
    QTimer::singleShot(0, this, &SmtpReport::startNext);
}

void SmtpReport::startNext()
{
    m_startScheduled = false;
    if (m_step != Step::Idle || m_queue.isEmpty())
        return;
    m_current = m_queue.dequeue();
    m_route = m_configured;
    m_recipients = m_route.addressed();
    m_nextRecipient = 0;
    m_acceptedRecipients = 0;
    m_lastRefusal.clear();
    m_greeted = false;
    m_accepted = false;
    m_eightBitMime = false;
    m_startTls = false;
    m_authMechanisms.clear();
    m_tlsFailure.clear();
    m_reader = SmtpReplyReader();
    m_account = MailAccount::stored();

    // Without an envelope address the server would take "<>", the null
    // sender of bounces, or refuse; an address beyond ASCII it cannot read.
    const QStringList envelope = QStringList{m_route.sender} + m_recipients;
    if (envelope.contains(QString()))
        return fail(noAddress);
    if (!std::all_of(envelope.cbegin(), envelope.cend(), isPlainAscii))
        return fail(notAscii);
    if (!MailRoute::isAddress(m_route.sender))
        return fail(notAnAddress);

    m_socket->abort();
    m_step = Step::Connecting;
    m_stepTimer->start(m_stepTimeoutMs);
    if (m_account.security == MailAccount::Security::Tls)
        m_socket->connectToHostEncrypted(m_route.server, m_account.port);
    else
        m_socket->connectToHost(m_route.server, m_account.port);
}

void SmtpReport::onConnected()
{
    // With TLS from the first byte, the server is greeted once the handshake is over.
    if (m_step != Step::Connecting || m_account.security == MailAccount::Security::Tls)
        return;
    m_step = Step::Greeting;
    m_stepTimer->start(m_stepTimeoutMs);
    // A greeting that came with the connection is read at once.
    if (m_socket->bytesAvailable() > 0)
        onReadyRead();
}

void SmtpReport::onEncrypted()
{
    if (m_step == Step::Connecting) {
        m_step = Step::Greeting;
        m_stepTimer->start(m_stepTimeoutMs);
    } else if (m_step == Step::Handshake) {
        sendEhlo({});
    }
}

void SmtpReport::onTlsErrors()
{
    m_tlsFailure = tlsFailureOf(m_socket->sslHandshakeErrors());
}

void SmtpReport::onReadyRead()
{
    const QByteArray bytes = m_socket->readAll();
    if (m_step == Step::Idle || m_step == Step::Connecting || m_step == Step::Handshake)
        return;
    m_reader.feed(bytes);
    while (m_step != Step::Idle) {
        const std::optional<SmtpReply> reply = m_reader.take();
        if (!reply)
            break;
        handleReply(*reply);
    }
}

// Outside the dialogue proper a lost connection and a silent server end the
// report alike; returns false while commands are being exchanged.
bool SmtpReport::endOutsideDialogue()
{
    switch (m_step) {
    case Step::Idle:
        return true;
    case Step::Connecting:
        fail(m_tlsFailure.isEmpty() ? cannotConnect : m_tlsFailure);
        return true;
    case Step::Handshake:
        m_greeted = false;   // nobody to say QUIT to in the clear
        fail(m_tlsFailure.isEmpty() ? noAnswer : m_tlsFailure);
        return true;
    case Step::Quit:
        finish();
        return true;
    default:
        return false;
    }
}

void SmtpReport::onConnectionLost()
{
    if (m_socket->error() == QAbstractSocket::SslHandshakeFailedError && m_tlsFailure.isEmpty())
        m_tlsFailure = cannotUseTls(m_socket->errorString());
    if (endOutsideDialogue())
        return;
    // Whatever the server said before it went is read first.
    if (m_socket->bytesAvailable() > 0)
        onReadyRead();
    if (m_step == Step::Idle)
        return;
    if (m_step == Step::Quit) {
        finish();
        return;
    }
    m_greeted = false;   // nobody left to say QUIT to
    fail(noAnswer);
}

void SmtpReport::onTimeout()
{
    if (endOutsideDialogue())
        return;
    // QUIT is still said, but a silent server is not waited for again.
    logFailure(noAnswer);
    if (m_greeted)
        m_socket->write("QUIT\r\n");
    finish();
}

void SmtpReport::handleReply(const SmtpReply &reply)
{
    using Handler = void (SmtpReport::*)(const SmtpReply &);
    struct Rule
    {
        Step step;
        QList<int> accepted;
        Handler onAccepted;
        Handler onRefused;
    };
    // The dialogue, a step a line: the codes that accept it and what follows.
    static const Rule rules[] = {
        {Step::Greeting, {220}, &SmtpReport::sendEhlo, &SmtpReport::failWithReply},
        {Step::Ehlo, {250}, &SmtpReport::onEhloAccepted, &SmtpReport::onEhloRefused},
        {Step::Helo, {250}, &SmtpReport::onEhloAccepted, &SmtpReport::failWithReply},
        {Step::StartTls, {220}, &SmtpReport::startTls, &SmtpReport::failWithReply},
        {Step::AuthUser, {334}, &SmtpReport::sendUser, &SmtpReport::failWithReply},
        {Step::AuthPassword, {334}, &SmtpReport::sendPassword, &SmtpReport::failWithReply},
        {Step::Auth, {235}, &SmtpReport::sendMailFrom, &SmtpReport::failWithReply},
        {Step::MailFrom, {250}, &SmtpReport::sendNextRecipient, &SmtpReport::failWithReply},
        {Step::Recipient, {250, 251}, &SmtpReport::onRecipientAccepted, &SmtpReport::onRecipientRefused},
        {Step::Data, {354}, &SmtpReport::sendMessage, &SmtpReport::failWithReply},
        {Step::Message, {250}, &SmtpReport::onMessageAccepted, &SmtpReport::failWithReply},
        {Step::Quit, {}, &SmtpReport::onQuitAnswered, &SmtpReport::onQuitAnswered},
    };
    const auto rule =
        std::find_if(std::cbegin(rules), std::cend(rules), [this](const Rule &r) { return r.step == m_step; });
    Q_ASSERT(rule != std::cend(rules));   // replies are read only while commands are exchanged
    m_stepTimer->stop();
    m_greeted = true;
    (this->*(rule->accepted.contains(reply.code) ? rule->onAccepted : rule->onRefused))(reply);
}

void SmtpReport::sendEhlo(const SmtpReply &)
{
    sendLine("EHLO " + heloName().toLatin1(), Step::Ehlo);
}

// Also HELO's, whose reply offers nothing: an account that asks for
// STARTTLS or a sign-in then ends the report.
void SmtpReport::onEhloAccepted(const SmtpReply &reply)
{
    m_eightBitMime = !offered(reply, "8BITMIME").isEmpty();
    m_startTls = !offered(reply, "STARTTLS").isEmpty();
    m_authMechanisms = offered(reply, "AUTH");
    if (m_account.security == MailAccount::Security::StartTls && !m_socket->isEncrypted()) {
        if (!m_startTls)
            return fail(noStartTls);
        return sendLine("STARTTLS", Step::StartTls);
    }
    if (!m_account.user.isEmpty())
        return signIn();
    sendMailFrom(reply);
}

// What the server said in the clear is dropped: only what comes over TLS counts.
void SmtpReport::startTls(const SmtpReply &)
{
    m_step = Step::Handshake;
    m_stepTimer->start(m_stepTimeoutMs);
    m_reader = SmtpReplyReader();
    m_socket->readAll();
    m_socket->startClientEncryption();
}

// The password goes only over TLS, and never to the log.
void SmtpReport::signIn()
{
    if (!m_socket->isEncrypted())
        return fail(noSignInWithoutTls);
    if (!knowsPassword(m_account.user))
        return fail(noPassword);
    if (m_authMechanisms.contains("PLAIN"))
        return sendLine("AUTH PLAIN " + ('\0' + m_account.user.toUtf8() + '\0' + m_password.toUtf8()).toBase64(),
                        Step::Auth);
    if (!m_authMechanisms.contains("LOGIN"))
        return fail(noSignInMethod);
    sendLine("AUTH LOGIN", Step::AuthUser);
}

void SmtpReport::sendUser(const SmtpReply &)
{
    sendLine(m_account.user.toUtf8().toBase64(), Step::AuthPassword);
}

void SmtpReport::sendPassword(const SmtpReply &)
{
    sendLine(m_password.toUtf8().toBase64(), Step::Auth);
}

// HELO only where EHLO is not known; any other refusal means "go away".
void SmtpReport::onEhloRefused(const SmtpReply &reply)
{
    if (reply.code != 500 && reply.code != 502 && reply.code != 504)
        return failWithReply(reply);
    sendLine("HELO " + heloName().toLatin1(), Step::Helo);
}

void SmtpReport::failWithReply(const SmtpReply &reply)
{
    fail(reasonOf(reply.lastLine()));
}

void SmtpReport::onRecipientAccepted(const SmtpReply &reply)
{
    ++m_acceptedRecipients;
    sendNextRecipient(reply);
}

void SmtpReport::onRecipientRefused(const SmtpReply &reply)
{
    logRefusal(m_recipients.at(m_nextRecipient - 1), m_lastRefusal = reasonOf(reply.lastLine()));
    sendNextRecipient(reply);
}

void SmtpReport::logRefusal(const QString &recipient, const QString &reason)
{
    m_log.write(QStringLiteral("「") + m_current.downSystem + QStringLiteral("」のサーバー障害の報告を<") + recipient
                + QStringLiteral(">に送れませんでした。 ") + reason);
}

void SmtpReport::sendMessage(const SmtpReply &)
{
    const QString name = heloName();
    const QString idDomain = name.startsWith(QLatin1Char('[')) ? QStringLiteral("sentrova.invalid") : name;
    m_socket->write(SmtpMessage::build(
        m_route, m_current.downSystem, m_current.kind, Clock::now(), SmtpMessage::newMessageId(idDomain),
        m_eightBitMime ? SmtpMessage::BodyEncoding::EightBit : SmtpMessage::BodyEncoding::Base64));
    m_step = Step::Message;
    m_stepTimer->start(m_dataEndTimeoutMs);
}

void SmtpReport::onMessageAccepted(const SmtpReply &)
{
    m_accepted = true;
    m_log.write(m_current.kind == SmtpMessage::Kind::Failure
                    ? m_current.downSystem + QStringLiteral("サーバー障害の報告を行いました。 ")
                    : QStringLiteral("「") + m_current.downSystem + QStringLiteral("」の回復を報告しました。 "));
    sendLine("QUIT", Step::Quit);
}

void SmtpReport::onQuitAnswered(const SmtpReply &)
{
    finish();
}

void SmtpReport::sendLine(const QByteArray &line, Step next)
{
    m_socket->write(line + "\r\n");
    m_step = next;
    m_stepTimer->start(m_stepTimeoutMs);
}

QString SmtpReport::heloName() const
{
    return SmtpMessage::heloArgument(m_hostName, m_domainName, m_socket->localAddress());
}

void SmtpReport::sendMailFrom(const SmtpReply &)
{
    sendLine("MAIL FROM:<" + m_route.sender.toLatin1() + '>' + (m_eightBitMime ? " BODY=8BITMIME" : ""),
             Step::MailFrom);
}

void SmtpReport::sendNextRecipient(const SmtpReply &)
{
    while (m_nextRecipient < m_recipients.size()) {
        const QString &recipient = m_recipients.at(m_nextRecipient++);
        if (MailRoute::isAddress(recipient))
            return sendLine("RCPT TO:<" + recipient.toLatin1() + '>', Step::Recipient);
        logRefusal(recipient, m_lastRefusal = notAnAddress);
    }
    if (m_acceptedRecipients == 0)
        return fail(m_lastRefusal);
    sendLine("DATA", Step::Data);
}

void SmtpReport::logFailure(const QString &reason)
{
    m_log.write(QStringLiteral("「") + m_current.downSystem + QStringLiteral("」のサーバー障害の報告に失敗しました。 ")
                + reason);
}

void SmtpReport::fail(const QString &reason)
{
    logFailure(reason);
    if (m_greeted && m_socket->state() == QAbstractSocket::ConnectedState)
        sendLine("QUIT", Step::Quit);
    else
        finish();
}

void SmtpReport::finish()
{
    m_stepTimer->stop();
    m_step = Step::Idle;
    m_socket->flush();
    if (m_socket->state() == QAbstractSocket::HostLookupState)
        AbandonedLookups::note();
    m_socket->abort();
    Request done = std::exchange(m_current, {});
    const bool accepted = m_accepted;
    scheduleNext();
    if (done.done)
        done.done(accepted);
}

// What the server said, as far as it is printable text and not too long to
// read in the log.
QString SmtpReport::reasonOf(const QByteArray &replyLine) const
{
    // Control characters become spaces in the log line it goes to.
    QString reason = TextCodec::decode(replyLine);
    if (reason.size() > maxReasonLength)
        reason = reason.left(maxReasonLength) + QStringLiteral("…");
    return reason;
}
