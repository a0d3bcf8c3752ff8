#pragma once

#include <QObject>

class QSocketNotifier;

// A logout (SIGHUP) or a service stop (SIGTERM) asks the program to end. A
// signal handler may do almost nothing, so it only writes a byte into a pipe;
// the event loop reads it and reports received(), where the program can end
// as it does when the user closes it. A signal that was ignored when the
// program started (nohup) stays ignored. One instance at a time.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void received();

private:
    void drain();

    int m_readEnd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
