#include "core/monitor/MonitorPass.h"

#include "core/base/InputText.h"
#include "core/hosts/HostTableModel.h"
#include "core/log/EventLog.h"
#include "core/notify/MailNotification.h"

#include <QPointer>
#include <QTimer>

namespace
{
const QString downStatus = QStringLiteral("サーバーダウン");
}

MonitorPass::MonitorPass(HostTableModel &hosts, const EventLog &log, MailNotification &mail, QObject *parent)
    : QObject(parent)
    , m_hosts(hosts)
    , m_log(log)
    , m_mail(mail)
    , m_probe(this)
{
    connect(&m_probe, &ProbeSocket::stateChanged, this, &MonitorPass::onProbeState);
    connect(&m_probe, &ProbeSocket::attemptEnded, this, &MonitorPass::onAttemptEnded);
    connect(&m_hosts, &QAbstractItemModel::rowsRemoved, this, &MonitorPass::onRowsRemoved);
}

void MonitorPass::start()
{
    if (m_running)
        return;
    ++m_generation;
    m_running = true;
    m_stopRequested = false;
    m_lastRow = m_hosts.rowCount() - 1;
    m_row = 0;
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (m_generation == generation)
            probeNextHost();
    });
}

void MonitorPass::requestStop()
{
    if (m_running)
        m_stopRequested = true;
}

void MonitorPass::abandon()
{
    ++m_generation;
    m_running = false;
    m_probe.close();
}

void MonitorPass::probeNextHost()
{
    for (;; ++m_row) {
        if (m_stopRequested)
            return end(true);
        if (m_row > m_lastRow || m_row >= m_hosts.rowCount())
            return end(false);
        m_address = m_hosts.hosts().at(m_row).address;
        // The blank row of an empty list is no host.
        if (!m_address.isEmpty())
            break;
    }
    m_rowGone = false;
    m_port = m_hosts.hosts().at(m_row).port;
    m_hosts.setCursor(m_row);
    Q_EMIT hostTextChanged(m_address);
    // The port is the number its text begins with ("80/tcp"); no port (0) fails the probe.
    m_probe.connectTo(m_address, InputText::number(m_port, 1, 65535, InputText::Rest::Ignored).value_or(0));
    onProbeState(m_probe.state());
}

void MonitorPass::onProbeState(ProbeSocket::State state)
{
    if (!m_running)
        return;
    if (state == ProbeSocket::State::ResolvingHost)
        Q_EMIT progressTextChanged(QStringLiteral("名前解決中..."));
    else if (state == ProbeSocket::State::HostResolved)
        Q_EMIT progressTextChanged(QStringLiteral("名前解決完了"));
    else if (state == ProbeSocket::State::Connecting)
        Q_EMIT progressTextChanged(QStringLiteral("接続しています..."));
}

// An attempt ends connected or in error. A host that accepted the connection
// is running, also when it closed it again before this turn of the loop.
void MonitorPass::onAttemptEnded(ProbeSocket::State state)
{
    if (!m_running)
        return;
    const bool running = state == ProbeSocket::State::Connected;
    const QList<Host> &hosts = m_hosts.hosts();
    // A row the host dialog removed or changed meanwhile gets nothing recorded.
    if (m_rowGone || hosts.at(m_row).address != m_address || hosts.at(m_row).port != m_port)
        return goOn();
    const bool wasDown = hosts.at(m_row).status == downStatus;
    m_hosts.setStatus(m_row, running ? QStringLiteral("サーバー稼動中") : downStatus);
    Q_EMIT progressTextChanged(running ? QStringLiteral("サーバー稼動中") : QStringLiteral("サーバダウン"));
    if (!running)
        m_log.write(QStringLiteral("「") + m_address + QStringLiteral("」はダウンしています。"));
    const std::optional<SmtpMessage::Kind> report = reportFor(running, wasDown);
    if (!report || !m_mail.isOn())
        return goOn();
    // The next host waits for the report, which always ends from the event
    // loop, possibly after this pass was abandoned.
    m_mail.sender().send(
        m_address,
        [self = QPointer<MonitorPass>(this), generation = m_generation](bool) {
            if (self && self->m_generation == generation)
                self->goOn();
        },
        *report);
}

// Every down host is reported; with reports on change only, a host that went
// down (a start counts as not yet probed) or came back.
std::optional<SmtpMessage::Kind> MonitorPass::reportFor(bool running, bool wasDown)
{
    if (!MailNotification::reportsChangesOnly())
        return running ? std::nullopt : std::optional(SmtpMessage::Kind::Failure);
    if (running != wasDown)
        return std::nullopt;
    return running ? SmtpMessage::Kind::Recovery : SmtpMessage::Kind::Failure;
}

// Rows removed above the probed one move it and the rows after it up: each
// is still probed and recorded in its new place. A removed probed row gets
// nothing recorded; the row that takes its place is probed next.
void MonitorPass::onRowsRemoved(const QModelIndex &, int first, int last)
{
    if (!m_running)
        return;
    m_lastRow -= std::max(0, std::min(last, m_lastRow) - first + 1);
    if (last < m_row) {
        m_row -= last - first + 1;
    } else if (first <= m_row) {
        m_row = first - 1;
        m_rowGone = true;
    }
}

void MonitorPass::goOn()
{
    m_probe.close();
    ++m_row;
    probeNextHost();
}

void MonitorPass::end(bool stopped)
{
    m_running = false;
    m_probe.close();
    Q_EMIT finished(stopped);
}
