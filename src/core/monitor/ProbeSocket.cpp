#include "core/monitor/ProbeSocket.h"

#include "core/base/AbandonedLookups.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <QSocketNotifier>
#include <QTimer>

#include <cstring>

// The few system calls of a probe.
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
qintptr openNonBlocking(int family)
{
    return ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
}
bool connectPending()
{
    return errno == EINPROGRESS;
}
bool writableNow(qintptr descriptor)
{
    pollfd entry{int(descriptor), POLLOUT, 0};
    return ::poll(&entry, 1, 0) > 0;
}
void closeDescriptor(qintptr descriptor)
{
    ::close(int(descriptor));
}
constexpr int resetByPeer = ECONNRESET;
}

namespace
{
// The system's form of an address and port; length 0 for no IP address.
socklen_t toSockaddr(const QHostAddress &address, quint16 port, sockaddr_storage &storage)
{
    std::memset(&storage, 0, sizeof storage);
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (isV4) {
        auto *in = reinterpret_cast<sockaddr_in *>(&storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(port);
        in->sin_addr.s_addr = htonl(v4);
        return sizeof *in;
    }
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return 0;
    auto *in6 = reinterpret_cast<sockaddr_in6 *>(&storage);
    in6->sin6_family = AF_INET6;
    in6->sin6_port = htons(port);
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    std::memcpy(&in6->sin6_addr, bytes.c, sizeof bytes.c);
    in6->sin6_scope_id = QNetworkInterface::interfaceIndexFromName(address.scopeId());
    return sizeof *in6;
}
}

ProbeSocket::ProbeSocket(QObject *parent)
    : QObject(parent)
    , m_timeoutTimer(new QTimer(this))
    , m_endNotice(new QTimer(this))
    , m_nextAddressTimer(new QTimer(this))
{
    m_timeoutTimer->setSingleShot(true);
    // A coarse timer may end a 10 s budget anywhere within 5 % of it.
    m_timeoutTimer->setTimerType(Qt::PreciseTimer);
    m_endNotice->setSingleShot(true);
    m_endNotice->setInterval(0);
    m_nextAddressTimer->setSingleShot(true);
    m_nextAddressTimer->setTimerType(Qt::PreciseTimer);
    m_nextAddressTimer->setInterval(nextAddressDelayMs);
    connect(m_timeoutTimer, &QTimer::timeout, this, [this] { endAttempt(State::Error); });
    connect(m_nextAddressTimer, &QTimer::timeout, this, &ProbeSocket::connectToNextAddress);
    connect(m_endNotice, &QTimer::timeout, this, [this] { Q_EMIT attemptEnded(m_endState); });
}

ProbeSocket::~ProbeSocket()
{
    abandonLookup();
    closeConnection();
}

void ProbeSocket::abandonLookup()
{
    if (m_lookupId < 0)
        return;
    QHostInfo::abortHostLookup(std::exchange(m_lookupId, -1));
    AbandonedLookups::note();
}

void ProbeSocket::setTimeout(int milliseconds)
{
    m_timeoutMs = qMax(1, milliseconds);
}

void ProbeSocket::connectTo(const QString &host, int port)
{
    if (!beginAttempt(!host.isEmpty(), port))
        return;
    setState(State::ResolvingHost);
    const QHostAddress literal(host);
    if (!literal.isNull()) {
        QHostInfo info;
        info.setAddresses({literal});
        return onLookedUp(info);
    }
    m_lookupId = QHostInfo::lookupHost(host, this, &ProbeSocket::onLookedUp);
}

void ProbeSocket::connectTo(const QList<QHostAddress> &addresses, int port)
{
    if (!beginAttempt(!addresses.isEmpty(), port))
        return;
    m_addresses = addresses;
    setState(State::HostResolved);
    connectToNextAddress();
}

// Closes an attempt still under way and starts the budget of the next; with
// nothing to try, the attempt ends in Error at once.
bool ProbeSocket::beginAttempt(bool somewhere, int port)
{
    if (m_state != State::Closed)
        close();
    m_localFailure.clear();
    if (!somewhere || port < 1 || port > 65535) {
        endAttempt(State::Error);
        return false;
    }
    m_port = quint16(port);
    m_timeoutTimer->start(m_timeoutMs);
    return true;
}

void ProbeSocket::close()
{
    m_timeoutTimer->stop();
    m_endNotice->stop();
    abandonLookup();
    closeConnection();
    setState(State::Closed);
}

void ProbeSocket::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void ProbeSocket::onLookedUp(const QHostInfo &info)
{
    if (info.lookupId() != m_lookupId || m_state != State::ResolvingHost)
        return;
    m_lookupId = -1;
    m_addresses = info.addresses();
    if (m_addresses.isEmpty())
        return endAttempt(State::Error);
    setState(State::HostResolved);
    connectToNextAddress();
}

// Each address gets one connect(). A refusal or an unreachable network moves
// on to the next address at once; an address that has not answered within
// 250 ms keeps its attempt and the next one starts beside it (RFC 8305). The
// first completed handshake wins; the last failure ends the attempt.
void ProbeSocket::connectToNextAddress()
{
    while (!m_addresses.isEmpty()) {
        sockaddr_storage address;
        const socklen_t length = toSockaddr(m_addresses.takeFirst(), m_port, address);
        const qintptr descriptor = length ? openNonBlocking(address.ss_family) : -1;
        if (descriptor < 0) {
            noteLocalFailure();
            continue;
        }
        const int result = ::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), length);
        if (result == 0) {
            closeDescriptor(descriptor);
            return endAttempt(State::Connected);
        }
        if (!connectPending()) {
            noteLocalFailure();
            closeDescriptor(descriptor);
            continue;
        }
        setState(State::Connecting);
        // A near host (loopback, the LAN) has often answered by now: looking
        // at once saves a notifier and a turn of the event loop.
        if (writableNow(descriptor)) {
            const bool accepted = handshakeDone(descriptor);
            closeDescriptor(descriptor);
            if (accepted)
                return endAttempt(State::Connected);
            continue;
        }
        auto *notifier = new QSocketNotifier(descriptor, QSocketNotifier::Write, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, descriptor] { onWritable(descriptor); });
        m_attempts.append({descriptor, notifier});
        if (!m_addresses.isEmpty())
            m_nextAddressTimer->start();
        return;
    }
    if (m_attempts.isEmpty())
        endAttempt(State::Error);
}

// What keeps this machine from making an attempt is no fault of the host:
// no descriptor, no buffer, no local port left.
void ProbeSocket::noteLocalFailure()
{
    const int error = errno;
    if (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM || error == EADDRNOTAVAIL
        || error == EAGAIN)
        m_localFailure = QString::fromLocal8Bit(std::strerror(error));
}

// A reset, or a broken pipe after the peer closed, is only possible once the
// handshake has completed.
bool ProbeSocket::handshakeDone(qintptr descriptor)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &length) != 0)
        error = -1;
    return error == 0 || error == resetByPeer || error == EPIPE;
}

void ProbeSocket::onWritable(qintptr descriptor)
{
    const bool accepted = handshakeDone(descriptor);
    closeAttempt(descriptor);
    if (accepted)
        return endAttempt(State::Connected);
    if (!m_addresses.isEmpty())
        return connectToNextAddress();
    if (m_attempts.isEmpty())
        endAttempt(State::Error);
}

void ProbeSocket::closeAttempt(qintptr descriptor)
{
    for (qsizetype i = 0; i < m_attempts.size(); ++i) {
        if (m_attempts.at(i).descriptor != descriptor)
            continue;
        // It may be the notifier whose signal is being handled.
        QSocketNotifier *notifier = m_attempts.takeAt(i).notifier;
        notifier->setEnabled(false);
        notifier->deleteLater();
        break;
    }
    closeDescriptor(descriptor);
}

void ProbeSocket::closeConnection()
{
    m_nextAddressTimer->stop();
    while (!m_attempts.isEmpty())
        closeAttempt(m_attempts.constLast().descriptor);
}

void ProbeSocket::endAttempt(State state)
{
    m_timeoutTimer->stop();
    abandonLookup();
    closeConnection();
    m_addresses.clear();
    m_endState = state;
    setState(state);
    // The end may be found inside connectTo(); the caller hears of it from
    // the event loop, where it may close this socket and start the next
    // attempt safely.
    m_endNotice->start();
}
