#include "core/statuspage/StatusPageWriter.h"

#include "core/base/Clock.h"
#include "core/log/EventLog.h"
#include "core/statuspage/StatusPage.h"
#include "core/statuspage/StatusPageSettings.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <cstdio>
#include <cstdlib>

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
    connect(&m_watcher, &QFutureWatcherBase::finished, this, &StatusPageWriter::onWriteEnded);
}

StatusPageWriter::~StatusPageWriter()
{
    m_watcher.disconnect(this);
    if (m_pool->waitForDone(endWaitMs))
        return;
    // A save that hangs (a dead network folder) must not hold up the end of
    // the program, and nothing stops its thread. The exit handlers would
    // destroy what the worker still uses (Qt's and the codec's static data)
    // under it, so the process ends here without them: the log and the
    // settings are on disk at every write. The save cut off leaves the old
    // page and a temporary file, or part of the page rewritten in place.
    qWarning("Sentrova: ステータスページの保存が終わらないため、待たずに終了します。");
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
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
    m_watcher.setFuture(QtConcurrent::run(m_pool, [page]() -> std::optional<SafeSave::Failure> {
        if (page.hosts.size() > HostTableModel::maxWrittenRows)
            return SafeSave::Failure{page.path, HostTableModel::tooManyRowsText()};
        return SafeSave::write(page.path, StatusPage::compose(page.hosts, page.when));
    }));
}

void StatusPageWriter::onWriteEnded()
{
    m_writing = false;
    const std::optional<SafeSave::Failure> failure = m_watcher.result();
    if (failure) {
        SafeSave::warn(*failure);
        m_log.write(SafeSave::failureLogText);
        Q_EMIT failed(SafeSave::failureMessage);
    }
    if (m_next)
        start(*std::exchange(m_next, std::nullopt));
    Q_EMIT finished(!failure);
}
