#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

// One running copy per program folder, so that the host list, the log and
// the page have one writer: a lock file in the folder, and beside it a local
// socket through which a second start asks the first to show its window. A
// lock left by a copy that crashed does not block a start.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString &folder, QObject *parent = nullptr);

    // True for the first copy, which then listens for the next starts. Another
    // copy is asked to show itself, and delivered() follows once it was.
    bool claim();

Q_SIGNALS:
    // A later start asked this copy to show itself.
    void raiseRequested();
    // Another copy runs, and it has been asked to show itself (or is gone).
    void delivered();

private:
    QString m_socketPath;
    QLockFile m_lock;
    QLocalServer m_server;
};
