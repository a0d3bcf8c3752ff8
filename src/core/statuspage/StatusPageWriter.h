#pragma once

#include "core/base/SafeSave.h"
#include "core/hosts/HostTableModel.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QObject>

#include <optional>

class EventLog;
class QThreadPool;
class StatusPageSettings;

// Writes the status page after a monitoring pass. A full list makes a page of
// megabytes: it is composed, encoded and saved on a worker thread from a copy
// of the rows, so that the window never waits for it. At most one write is
// under way; of the pages asked for meanwhile only the newest is written,
// after it. The page replaces the old one in one step, so a web server never
// delivers half a page and a failed write leaves the last good page in place.
// A failure is logged at every pass and told to the operator.
class StatusPageWriter : public QObject
{
    Q_OBJECT

public:
    explicit StatusPageWriter(const EventLog &log, QObject *parent = nullptr);
    // Waits for a write under way, a bounded time; a write still under way
    // then ends the process at once, with status 1.
    ~StatusPageWriter() override;

    // False when the page is switched off: nothing is written then.
    bool write(const QList<Host> &hosts, const StatusPageSettings &settings);

Q_SIGNALS:
    // Back on the thread of this object, once a write has ended.
    void finished(bool written);
    void failed(const QString &message);

private:
    struct Page
    {
        QList<Host> hosts;
        QString path;
        QDateTime when;
    };

    void start(const Page &page);
    void onWriteEnded();

    const EventLog &m_log;
    QThreadPool *const m_pool;   // a child of this object: one worker thread
    QFutureWatcher<std::optional<SafeSave::Failure>> m_watcher;
    std::optional<Page> m_next;
    // From the start of a write until its result is handled here: the future
    // stops running on the worker before its result reaches this thread.
    bool m_writing = false;
};
