#include "core/statuspage/StatusPageWriter.h"

#include "core/base/Clock.h"
#include "core/base/SafeSave.h"
#include "core/log/EventLog.h"
#include "core/statuspage/StatusPage.h"
#include "core/statuspage/StatusPageSettings.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

namespace
{
// The longest the end of the program waits for a page being saved.
constexpr int endWaitMs = 10000;
}

StatusPageWriter::StatusPageWriter(const EventLog &log, QObject *parent)
    : QObject(parent)
    , m_log(log)
    , m_pool(new QThreadPool(this))
{
    m_pool->setMaxThreadCount(1);
    connect(&m_watcher, &QFutureWatcher<bool>::finished, this, &StatusPageWriter::onWriteEnded);
}

StatusPageWriter::~StatusPageWriter()
{
    m_watcher.disconnect(this);
    // A save cut off leaves the old page and a temporary file, never half a
    // page; a save that hangs (a dead network folder) must not hold up the
    // end of the program, so its thread is left to the system.
    if (!m_pool->waitForDone(endWaitMs))
        m_pool->setParent(nullptr);
}

bool StatusPageWriter::write(const QList<Host> &hosts, const StatusPageSettings &settings)
{
    if (!settings.pageEnabled())
        return false;
    Page page{hosts, StatusPage::path(settings.folder, settings.page), Clock::now()};
    if (m_writing)
        m_next = std::move(page);
    else
        start(page);
    return true;
}

void StatusPageWriter::start(const Page &page)
{
    m_writing = true;
    m_watcher.setFuture(QtConcurrent::run(m_pool, [page] {
        return page.hosts.size() <= HostTableModel::maxWrittenRows
            && SafeSave::write(page.path, StatusPage::compose(page.hosts, page.when));
    }));
}

void StatusPageWriter::onWriteEnded()
{
    m_writing = false;
    const bool written = m_watcher.result();
    if (!written) {
        m_log.write(SafeSave::failureLogText);
        Q_EMIT failed(SafeSave::failureMessage);
    }
    if (m_next)
        start(*std::exchange(m_next, std::nullopt));
    Q_EMIT finished(written);
}
