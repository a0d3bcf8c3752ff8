#include "statuspage/StatusPageWriter.h"

#include "log/EventLog.h"
#include "platform/Clock.h"
#include "platform/HostGrid.h"
#include "platform/MessageBox.h"
#include "statuspage/StatusPage.h"
#include "statuspage/WwwSettings.h"

#include <QMessageBox>
#include <QSaveFile>

StatusPageWriter::StatusPageWriter(const EventLog &log, QWidget *boxParent)
    : m_log(log)
    , m_boxParent(boxParent)
{
}

StatusPageWriter::Outcome StatusPageWriter::write(HostGrid &grid, const WwwSettings &settings)
{
    if (!settings.pageEnabled())
        return Outcome::Off;
    if (writePage(grid, settings))
        return Outcome::Written;
    reportFailure();
    return Outcome::Failed;
}

bool StatusPageWriter::writePage(HostGrid &grid, const WwwSettings &settings)
{
    const int hostRows = grid.rowCount() - 1;
    if (hostRows > StatusPage::maxHostRows)
        return false;

    // Through the current cell, as the pass reads the grid: afterwards the
    // current cell is column 2 of the last host row.
    QList<StatusPage::HostRow> hosts;
    hosts.reserve(hostRows);
    for (int row = 1; row <= hostRows; ++row) {
        grid.setRow(row);
        QString cells[3];
        for (int column = 0; column < 3; ++column) {
            grid.setColumn(column);
            cells[column] = grid.text();
        }
        hosts.append({cells[0], cells[1], cells[2]});
    }

    const QByteArray page = StatusPage::compose(hosts, Clock::now());
    QSaveFile file(StatusPage::path(settings.wwwRoot, settings.wwwPage));
    // A document root the operator may not write to, holding a page file
    // made writable for them, still gets its page, rewritten in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A write that breaks off (disk full, size limit) after part of the page
    // is not always seen by commit(), which would then publish the part:
    // the page is flushed and checked here.
    if (file.write(page) != page.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

void StatusPageWriter::reportFailure()
{
    m_log.LogEvent(QStringLiteral("環境設定ファイルの保存に失敗しました。"));
    // A closed box may still await its deletion.
    if (m_failureBox && m_failureBox->isVisible())
        return;
    m_failureBox = MessageBox::show(m_boxParent, QStringLiteral("環境ファイルのエラーです。サポートにご連絡ください。"));
}
