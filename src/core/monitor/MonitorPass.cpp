#include "core/monitor/MonitorPass.h"

#include "core/base/InputText.h"
#include "core/base/SettingsStore.h"
#include "core/hosts/HostTableModel.h"
#include "core/log/EventLog.h"
#include "core/notify/MailNotification.h"

#include <QPointer>
#include <QTimer>

namespace
{
const QString runningStatus = QStringLiteral("サーバー稼動中");
const QString downStatus = QStringLiteral("サーバーダウン");
}

MonitorPass::MonitorPass(HostTableModel &hosts, const EventLog &log, MailNotification &mail, QObject *parent)
    : QObject(parent)
    , m_hosts(hosts)
    , m_log(log)
    , m_mail(mail)
{
    connect(&m_hosts, &QAbstractItemModel::rowsRemoved, this, &MonitorPass::onRowsRemoved);
}

void MonitorPass::start()
{
    if (m_running)
        return;
    ++m_generation;
    m_running = true;
    m_stopRequested = false;
    m_localFailureLogged = false;
    m_summary = {};
    m_lastRow = m_hosts.rowCount() - 1;
    m_nextRow = 0;
    m_parallel = InputText::number(SettingsStore::text(Setting::ParallelProbes), 1, 256, InputText::Rest::Refused)
                     .value_or(defaultParallel);
    m_reportsChangesOnly = MailNotification::reportsChangesOnly();
    while (m_idle.size() < m_parallel) {
        auto *socket = new ProbeSocket(this);
        connect(socket, &ProbeSocket::stateChanged, this,
                [this, socket](ProbeSocket::State state) { onProbeState(socket, state); });
        connect(socket, &ProbeSocket::attemptEnded, this,
                [this, socket](ProbeSocket::State state) { onAttemptEnded(socket, state); });
        m_idle.append(socket);
    }
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (m_generation == generation)
            advance();
    });
}

void MonitorPass::requestStop()
{
    if (!m_running)
        return;
    m_stopRequested = true;
    // The host being reported, or else the next to record, is completed.
    dropProbesAfter(m_reporting ? 0 : 1);
    if (m_probes.empty() && !m_reporting) {
        QTimer::singleShot(0, this, [this, generation = m_generation] {
            if (m_generation == generation)
                advance();
        });
    }
}

void MonitorPass::abandon()
{
    ++m_generation;
    m_running = false;
    m_reporting = false;
    dropProbesAfter(0);
}

// Records what is ready, in list order, and keeps up to N probes under way.
void MonitorPass::advance()
{
    while (m_running && !m_reporting) {
        startProbes();
        if (m_probes.empty())
            return end(m_stopRequested);
        Probe &next = m_probes.front();
        if (!next.shown && !next.gone)
            show(next);
        if (!next.running)
            return;   // its outcome is awaited
        const Probe probe = std::move(next);
        m_probes.pop_front();
        m_reporting = record(probe);
    }
}

void MonitorPass::startProbes()
{
    // One at a time: the next host only once the last is recorded.
    const bool oneAtATime = m_parallel == 1 && (!m_probes.empty() || m_reporting);
    while (!m_stopRequested && !oneAtATime && m_underWay.size() < m_parallel && m_nextRow <= m_lastRow
           && m_nextRow < m_hosts.rowCount()) {
        const Host &host = m_hosts.hosts().at(m_nextRow++);
        // The blank row of an empty list is no host.
        if (host.address.isEmpty())
            continue;
        Probe &probe = m_probes.emplace_back();
        probe.row = m_nextRow - 1;
        probe.address = host.address;
        probe.port = host.port;
        probe.socket = m_idle.takeFirst();
        m_underWay.insert(probe.socket, &probe);
        probe.socket->setTimeout(m_probeTimeoutMs);
        // No port (0) fails the probe.
        probe.socket->connectTo(probe.address, InputText::port(probe.port).value_or(0));
    }
}

void MonitorPass::show(Probe &probe)
{
    probe.shown = true;
    m_hosts.setCursor(probe.row);
    Q_EMIT hostTextChanged(probe.address);
    for (ProbeSocket::State state : probe.states)
        showState(state);
}

void MonitorPass::showState(ProbeSocket::State state)
{
    if (state == ProbeSocket::State::ResolvingHost)
        Q_EMIT progressTextChanged(QStringLiteral("名前解決中..."));
    else if (state == ProbeSocket::State::HostResolved)
        Q_EMIT progressTextChanged(QStringLiteral("名前解決完了"));
    else if (state == ProbeSocket::State::Connecting)
        Q_EMIT progressTextChanged(QStringLiteral("接続しています..."));
}

void MonitorPass::onProbeState(ProbeSocket *socket, ProbeSocket::State state)
{
    Probe *probe = m_underWay.value(socket);
    if (!probe)
        return;
    probe->states.append(state);
    if (probe->shown)
        showState(state);
}

// An attempt ends connected or in error. A host that accepted the connection
// is running, also when it closed it again before this turn of the loop.
void MonitorPass::onAttemptEnded(ProbeSocket *socket, ProbeSocket::State state)
{
    Probe *probe = m_underWay.value(socket);
    if (!probe)
        return;
    probe->running = state == ProbeSocket::State::Connected;
    probe->localFailure = socket->localFailure();
    release(*probe);
    advance();
}

// True while the host's report is being sent: the next outcome waits for it.
bool MonitorPass::record(const Probe &probe)
{
    const QList<Host> &hosts = m_hosts.hosts();
    // A row the host dialog removed, or blanked as the only one, gets nothing recorded.
    if (probe.gone || hosts.at(probe.row).address != probe.address)
        return false;
    // The host keeps its status and nothing is mailed; one line a pass says why.
    if (!probe.localFailure.isEmpty()) {
        if (!std::exchange(m_localFailureLogged, true))
            m_log.write(
                QStringLiteral("このコンピューターから接続を試みられないため、ホストの状態を変えていません (%1)。")
                    .arg(probe.localFailure));
        return false;
    }
    const bool running = *probe.running;
    const bool wasDown = hosts.at(probe.row).status == downStatus;
    m_hosts.setStatus(probe.row, running ? runningStatus : downStatus);
    if (running == wasDown)
        (running ? m_summary.cameBack : m_summary.wentDown).append(probe.address);
    Q_EMIT progressTextChanged(running ? QStringLiteral("サーバー稼動中") : QStringLiteral("サーバダウン"));
    if (!running)
        m_log.write(QStringLiteral("「") + probe.address + QStringLiteral("」はダウンしています。"));
    const std::optional<SmtpMessage::Kind> report = reportFor(running, wasDown);
    if (!report || !m_mail.isOn())
        return false;
    // The report always ends from the event loop, possibly after this pass
    // was abandoned.
    m_mail.sender().send(
        probe.address,
        [self = QPointer<MonitorPass>(this), generation = m_generation](bool) {
            if (!self || self->m_generation != generation)
                return;
            self->m_reporting = false;
            self->advance();
        },
        *report);
    return true;
}

// Every down host is reported; with reports on change only, a host that went
// down (a start counts as not yet probed) or came back.
std::optional<SmtpMessage::Kind> MonitorPass::reportFor(bool running, bool wasDown) const
{
    if (!m_reportsChangesOnly)
        return running ? std::nullopt : std::optional(SmtpMessage::Kind::Failure);
    if (running != wasDown)
        return std::nullopt;
    return running ? SmtpMessage::Kind::Recovery : SmtpMessage::Kind::Failure;
}

// Rows removed move the rows after them up: each is still probed and
// recorded in its new place. A removed row's probe is closed unrecorded.
void MonitorPass::onRowsRemoved(const QModelIndex &, int first, int last)
{
    if (!m_running)
        return;
    const int count = last - first + 1;
    for (Probe &probe : m_probes) {
        if (probe.row > last) {
            probe.row -= count;
        } else if (probe.row >= first) {
            probe.gone = true;
            probe.running = false;
            release(probe);
        }
    }
    m_nextRow = m_nextRow > last ? m_nextRow - count : std::min(m_nextRow, first);
    m_lastRow -= std::max(0, std::min(last, m_lastRow) - first + 1);
    QTimer::singleShot(0, this, [this, generation = m_generation] {
        if (m_generation == generation)
            advance();
    });
}

// The probe's socket, if still under way, is closed and ready for another.
void MonitorPass::release(Probe &probe)
{
    if (!probe.socket)
        return;
    m_underWay.remove(probe.socket);
    probe.socket->close();
    m_idle.append(std::exchange(probe.socket, nullptr));
}

void MonitorPass::dropProbesAfter(std::size_t kept)
{
    while (m_probes.size() > kept) {
        release(m_probes.back());
        m_probes.pop_back();
    }
}

void MonitorPass::end(bool stopped)
{
    m_running = false;
    for (const Host &host : m_hosts.hosts()) {
        m_summary.down += host.status == downStatus;
        m_summary.running += host.status == runningStatus;
    }
    Q_EMIT summarised(m_summary);
    Q_EMIT finished(stopped);
}
