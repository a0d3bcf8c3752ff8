#include "core/monitor/ProbeSocket.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

ProbeSocket::ProbeSocket(QObject *parent)
    : QObject(parent)
    , m_socket(new QTcpSocket(this))
    , m_timeoutTimer(new QTimer(this))
    , m_endNotice(new QTimer(this))
{
    // A probe goes straight to the host, whatever proxy the desktop sets.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    m_timeoutTimer->setSingleShot(true);
    m_endNotice->setSingleShot(true);
    m_endNotice->setInterval(0);

    connect(m_socket, &QAbstractSocket::stateChanged, this,
            [this](QAbstractSocket::SocketState s) { onSocketState(s); });
    connect(m_socket, &QAbstractSocket::hostFound, this, [this] {
        if (m_state == ResolvingHost)
            setState(HostResolved);
    });
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { onSocketError(e); });
    connect(m_timeoutTimer, &QTimer::timeout, this, [this] {
        if (!attemptUnderWay())
            return;
        m_closing = true;
        m_socket->abort();
        m_closing = false;
        endAttempt(Error);
    });
    connect(m_endNotice, &QTimer::timeout, this, [this] { Q_EMIT attemptEnded(m_endState); });
}

ProbeSocket::~ProbeSocket()
{
    // Nobody listens any more; the socket goes without reporting.
    m_socket->disconnect(this);
    m_socket->abort();
}

void ProbeSocket::setTimeout(int milliseconds)
{
    m_timeoutMs = qMax(1, milliseconds);
}

void ProbeSocket::connectTo(const QString &host, int port)
{
    if (m_state != Closed)
        close();
    if (host.isEmpty() || port < 1 || port > 65535) {
        endAttempt(Error);
    } else {
        m_timeoutTimer->start(m_timeoutMs);
        m_socket->connectToHost(host, static_cast<quint16>(port));
    }
}

void ProbeSocket::close()
{
    m_timeoutTimer->stop();
    m_endNotice->stop();
    m_closing = true;
    m_socket->abort();
    m_closing = false;
    setState(Closed);
}

void ProbeSocket::setState(int state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

bool ProbeSocket::attemptUnderWay() const
{
    return m_state == ResolvingHost || m_state == HostResolved || m_state == Connecting;
}

void ProbeSocket::onSocketState(int qtState)
{
    if (m_closing)
        return;
    switch (qtState) {
    case QAbstractSocket::HostLookupState:
        setState(ResolvingHost);
        break;
    case QAbstractSocket::ConnectingState:
        if (attemptUnderWay())
            setState(Connecting);
        break;
    case QAbstractSocket::ConnectedState:
        if (attemptUnderWay())
            endAttempt(Connected);
        break;
    case QAbstractSocket::ClosingState:
        if (m_state == Connected)
            setState(Closing);
        break;
    case QAbstractSocket::UnconnectedState:
        if (attemptUnderWay())
            endAttempt(Error);
        else if (m_state == Connected)
            setState(Closing);
        break;
    default:
        break;
    }
}

void ProbeSocket::onSocketError(int qtError)
{
    if (m_closing)
        return;
    if (attemptUnderWay())
        endAttempt(Error);
    else if (m_state == Connected)
        setState(qtError == QAbstractSocket::RemoteHostClosedError ? Closing : Error);
}

void ProbeSocket::endAttempt(int state)
{
    m_timeoutTimer->stop();
    m_endState = state;
    setState(state);
    // The end may be found inside connectTo() or deep inside the socket's own
    // signal handling; the caller hears of it from the event loop, where it
    // may close this socket and start the next attempt safely.
    m_endNotice->start();
}
