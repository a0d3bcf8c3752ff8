#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QHostInfo;
class QSocketNotifier;
class QTimer;

// One TCP connection attempt at a time, reported through its states. Nothing
// is sent or received; a probe only asks whether the host accepts a connection.
//
// The name is resolved first; then each of its addresses is tried once, in
// the order the resolver gave them, by one non-blocking connect() of the
// system: one connection attempt an address, never a reconnect, so a host
// that resets every connection is not hammered (the kernel alone may resend
// an unanswered SYN). A completed handshake is Connected, also
// when the peer has closed or reset the connection by the time we look: the
// host did accept. The connection is closed at once and not watched.
//
// attemptEnded() is always emitted from the event loop, never from inside
// connectTo() or a notifier, so a caller can close the socket and start the
// next attempt from its handler. After close() no signal of the closed
// attempt arrives.
class ProbeSocket : public QObject
{
    Q_OBJECT

public:
    static constexpr int nextAddressDelayMs = 250;
    enum class State { Closed, ResolvingHost, HostResolved, Connecting, Connected, Error };

    explicit ProbeSocket(QObject *parent = nullptr);
    ~ProbeSocket() override;

    // Bounds a whole attempt, name resolution included (10 s unless set);
    // an attempt that has not ended by then ends in Error. Applies to the
    // next attempt.
    void setTimeout(int milliseconds);
    int timeout() const { return m_timeoutMs; }

    // Starts an attempt; an attempt still under way is closed first. A port
    // outside 1 to 65535 or an empty host ends the attempt in Error.
    void connectTo(const QString &host, int port);
    // The same for addresses given, without a name to resolve.
    void connectTo(const QList<QHostAddress> &addresses, int port);
    void close();

    State state() const { return m_state; }
    // Why this machine could not make the attempt, after one that ended in
    // Error for that reason; empty otherwise.
    QString localFailure() const { return m_state == State::Error ? m_localFailure : QString(); }

Q_SIGNALS:
    void stateChanged(ProbeSocket::State state);
    // The attempt has come to an end, in Connected or Error.
    void attemptEnded(ProbeSocket::State state);

private:
    bool beginAttempt(bool somewhere, int port);
    void setState(State state);
    void onLookedUp(const QHostInfo &info);
    void connectToNextAddress();
    static bool handshakeDone(qintptr descriptor);
    void onWritable(qintptr descriptor);
    void closeAttempt(qintptr descriptor);
    void closeConnection();
    void noteLocalFailure();
    void endAttempt(State state);

    QTimer *m_timeoutTimer;
    QTimer *m_endNotice;   // reports the end from the event loop
    int m_timeoutMs = 10000;
    State m_state = State::Closed;
    State m_endState = State::Closed;
    void abandonLookup();

    int m_lookupId = -1;   // of the name lookup under way
    quint16 m_port = 0;
    QList<QHostAddress> m_addresses;   // not tried yet
    struct Attempt
    {
        qintptr descriptor;
        QSocketNotifier *notifier;
    };
    QList<Attempt> m_attempts;
    QString m_localFailure;   // the connects under way, one an address
    QTimer *m_nextAddressTimer;   // starts the next address beside those under way
};
