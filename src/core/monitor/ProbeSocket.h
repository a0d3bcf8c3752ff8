#pragma once

#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

// One TCP connection attempt at a time, reported through ten state values
// (0 closed ... 9 error). Nothing is sent or received; a probe only asks
// whether the host accepts a connection.
//
// attemptEnded() is always emitted from the event loop, never from inside
// connectTo() or the socket's own signals, so a caller can close the socket
// and start the next attempt from its handler. After close() no signal of
// the closed attempt arrives.
class ProbeSocket : public QObject
{
    Q_OBJECT

public:
    enum State {
        Closed = 0,
        Open = 1,
        Listening = 2,
        ConnectionPending = 3,
        ResolvingHost = 4,
        HostResolved = 5,
        Connecting = 6,
        Connected = 7,
        Closing = 8,      // the peer closed the connection
        Error = 9,        // the attempt failed or timed out
    };

    explicit ProbeSocket(QObject *parent = nullptr);
    ~ProbeSocket() override;

    // Bounds a whole attempt, name resolution included (10 s unless set);
    // an attempt that has not ended by then ends in Error. Applies to the
    // next attempt.
    void setTimeout(int milliseconds);

    // Starts an attempt; an attempt still under way is closed first. A port
    // outside 1 to 65535 or an empty host ends the attempt in Error.
    void connectTo(const QString &host, int port);
    void close();

    int state() const { return m_state; }

Q_SIGNALS:
    void stateChanged(int state);
    // The attempt has come to an end, in Connected or Error. A host that
    // accepted the connection is reported Connected even when it has closed
    // it again by the time this arrives (state() then reads Closing).
    void attemptEnded(int state);

private:
    void setState(int state);
    void onSocketState(int qtState);
    void onSocketError(int qtError);
    void endAttempt(int state);
    bool attemptUnderWay() const;

    QTcpSocket *m_socket;
    QTimer *m_timeoutTimer;
    QTimer *m_endNotice;       // reports the end from the event loop
    int m_timeoutMs = 10000;
    int m_state = Closed;
    int m_endState = Closed;
    bool m_closing = false;
};
