#include "core/statuspage/StatusPageWriter.h"

#include "core/base/Clock.h"
#include "core/base/SafeSave.h"
#include "core/log/EventLog.h"
#include "core/statuspage/StatusPage.h"
#include "core/statuspage/StatusPageSettings.h"

StatusPageWriter::StatusPageWriter(const EventLog &log, QObject *parent)
    : QObject(parent)
    , m_log(log)
{
}

StatusPageWriter::Outcome StatusPageWriter::write(const QList<Host> &hosts, const StatusPageSettings &settings)
{
    if (!settings.pageEnabled())
        return Outcome::Off;
    if (hosts.size() <= HostTableModel::maxWrittenRows
        && SafeSave::write(StatusPage::path(settings.folder, settings.page), StatusPage::compose(hosts, Clock::now())))
        return Outcome::Written;
    m_log.write(SafeSave::failureLogText);
    Q_EMIT failed(SafeSave::failureMessage);
    return Outcome::Failed;
}
