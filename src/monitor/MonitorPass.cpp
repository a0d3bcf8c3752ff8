#include "monitor/MonitorPass.h"

#include "monitor/PortText.h"
#include "platform/HostGrid.h"
#include "platform/ProbeSocket.h"

#include <QPointer>
#include <QTimer>

namespace
{
const QString runningText = QStringLiteral("サーバー稼動中");
const QString downCellText = QStringLiteral("サーバーダウン");
const QString downPanelText = QStringLiteral("サーバダウン");

constexpr int addressColumn = 0;
constexpr int portColumn = 1;
constexpr int statusColumn = 2;
}

MonitorPass::MonitorPass(HostGrid &grid, ProbeSocket &socket, Hooks hooks, QObject *parent)
    : QObject(parent)
    , m_grid(grid)
    , m_socket(socket)
    , m_hooks(std::move(hooks))
    , m_step(new QTimer(this))
{
    m_step->setSingleShot(true);
    m_step->setInterval(0);
    connect(m_step, &QTimer::timeout, this, &MonitorPass::nextHost);
    connect(&m_socket, &ProbeSocket::stateChanged, this, &MonitorPass::onSocketState);
    connect(&m_socket, &ProbeSocket::attemptEnded, this, &MonitorPass::onAttemptEnded);
}

MonitorPass::~MonitorPass() = default;

void MonitorPass::MonitorHosts()
{
    if (m_running)
        return;
    m_running = true;
    m_stopRequested = false;
    m_probing = false;
    m_awaitedReport = 0;
    m_grid.setEnabled(false);
    m_lastRow = m_grid.rowCount() - 1;
    m_row = 1;
    m_step->start();
}

void MonitorPass::requestStop()
{
    if (m_running)
        m_stopRequested = true;
}

void MonitorPass::abandon()
{
    if (!m_running)
        return;
    m_awaitedReport = 0;
    m_running = false;
    m_probing = false;
    m_step->stop();
    m_socket.Close();
}

void MonitorPass::nextHost()
{
    for (;; ++m_row) {
        if (m_stopRequested) {
            endPass(true);
            return;
        }
        // Rows added while the pass runs wait for the next pass; rows removed
        // end it early rather than let it address a row that is gone.
        if (m_row > m_lastRow || m_row >= m_grid.rowCount()) {
            endPass(false);
            return;
        }
        if (m_socket.state() != ProbeSocket::Closed)
            m_socket.Close();
        m_address = cellText(m_row, addressColumn);
        // The blank row of an empty list is no host.
        if (m_address.isEmpty())
            continue;
        m_hooks.setPanelText(1, m_address);
        m_portText = cellText(m_row, portColumn);
        m_probing = true;
        m_socket.Connect(m_address, PortText::port(m_portText));
        m_grid.setColumn(addressColumn);
        onSocketState(m_socket.state());
        return;
    }
}

void MonitorPass::onSocketState(int state)
{
    if (!m_probing)
        return;
    switch (state) {
    case ProbeSocket::ResolvingHost:
        m_hooks.setPanelText(2, QStringLiteral("名前解決中..."));
        break;
    case ProbeSocket::HostResolved:
        m_hooks.setPanelText(2, QStringLiteral("名前解決完了"));
        break;
    case ProbeSocket::Connecting:
        m_hooks.setPanelText(2, QStringLiteral("接続しています..."));
        break;
    default:
        break;
    }
}

void MonitorPass::onAttemptEnded(int endState)
{
    if (!m_probing)
        return;
    m_probing = false;
    // The state the attempt ended in: a host that accepted the connection is
    // running, also when it closed it again before this turn of the loop.
    recordOutcome(endState);
}

void MonitorPass::recordOutcome(int state)
{
    const auto panel2 = [this](const QString &text) { m_hooks.setPanelText(2, text); };
    switch (state) {
    case ProbeSocket::Closed:
        panel2(QStringLiteral("終了"));
        break;
    case ProbeSocket::Open:
        setCellText(m_row, statusColumn, runningText);
        panel2(runningText);
        break;
    case ProbeSocket::Listening:
        panel2(QStringLiteral("応答確認"));
        break;
    case ProbeSocket::ConnectionPending:
        panel2(QStringLiteral("停止中"));
        break;
    case ProbeSocket::ResolvingHost:
        panel2(QStringLiteral("名前解決中"));
        break;
    case ProbeSocket::HostResolved:
        panel2(QStringLiteral("名前解決完了"));
        break;
    case ProbeSocket::Connecting:
        panel2(QStringLiteral("接続完了"));
        break;
    case ProbeSocket::Connected:
        setCellText(m_row, statusColumn, runningText);
        panel2(QStringLiteral("接続完了"));
        panel2(runningText);
        break;
    case ProbeSocket::Closing:
        panel2(QStringLiteral("接続停止"));
        break;
    case ProbeSocket::Error: {
        setCellText(m_row, statusColumn, downCellText);
        panel2(downPanelText);
        m_hooks.logEvent(QStringLiteral("「") + m_address + QStringLiteral("」はダウンしています。"));
        if (!m_hooks.notificationOn())
            break;
        // The next host waits for the report. Its completion may come at once,
        // later from the event loop, or after this pass has ended.
        QPointer<MonitorPass> self(this);
        const quint64 report = ++m_lastReport;
        m_awaitedReport = report;
        m_inNotify = true;
        m_reportOver = false;
        m_hooks.notify(m_address, [self, report] {
            if (!self || self->m_awaitedReport != report)
                return;
            if (self->m_inNotify) {
                self->m_reportOver = true;
                return;
            }
            self->afterReport();
        });
        if (!self)
            return;
        m_inNotify = false;
        if (m_reportOver && m_running)
            afterReport();
        return;
    }
    default:
        break;
    }
    afterReport();
}

void MonitorPass::afterReport()
{
    m_awaitedReport = 0;
    m_reportOver = false;
    m_socket.Close();
    ++m_row;
    nextHost();
}

void MonitorPass::endPass(bool stopped)
{
    m_running = false;
    m_probing = false;
    if (m_socket.state() != ProbeSocket::Closed)
        m_socket.Close();
    // After a stop the grid is the stop command's business.
    if (!stopped)
        m_grid.setEnabled(true);
    Q_EMIT finished(stopped);
}

QString MonitorPass::cellText(int row, int column)
{
    m_grid.setRow(row);
    m_grid.setColumn(column);
    return m_grid.text();
}

// The host dialog may remove or change rows while a probe is under way; an
// outcome is written only into the row of the host that was probed.
void MonitorPass::setCellText(int row, int column, const QString &text)
{
    if (row >= m_grid.rowCount() || cellText(row, addressColumn) != m_address
        || cellText(row, portColumn) != m_portText)
        return;
    m_grid.setColumn(column);
    m_grid.setText(text);
    m_grid.setColumn(addressColumn);
}
