#include "platform/HostGrid.h"

#include "platform/Twips.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

HostGrid::HostGrid(QWidget *parent)
    : QWidget(parent)
    , m_table(new QTableWidget(1, columnCount, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_table);

    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    m_table->setObjectName(QStringLiteral("hostTable"));
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(18);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    // The pass and the page writer walk every row; the operator's view must
    // not be dragged along to the last row at every interval.
    m_table->setAutoScroll(false);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setSectionsClickable(true);
    m_table->horizontalHeader()->setStretchLastSection(false);
    // The three columns fill the grid to within its frame; a scroll bar for
    // the last pixel or two would only hide a row.
    m_table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 0; c < columnCount; ++c)
        m_table->setHorizontalHeaderItem(c, new QTableWidgetItem);

    connect(m_table, &QTableWidget::cellClicked, this, [this](int r, int c) {
        m_row = r + 1;
        m_column = c;
        Q_EMIT clicked();
    });
    connect(m_table->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) {
        m_row = 0;
        m_column = c;
        Q_EMIT clicked();
    });
    // Keyboard moves of the operator make the cell current too.
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int r, int c) {
        if (r >= 0 && c >= 0 && !m_viewSyncPending) {
            m_row = r + 1;
            m_column = c;
        }
    });
}

int HostGrid::rowCount() const
{
    return m_table->rowCount() + 1;
}

int HostGrid::row() const
{
    return m_row;
}

void HostGrid::setRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_row = row;
    scheduleViewSync();
}

int HostGrid::column() const
{
    return m_column;
}

void HostGrid::setColumn(int column)
{
    if (column < 0 || column >= columnCount)
        return;
    m_column = column;
    scheduleViewSync();
}

QString HostGrid::text() const
{
    const QTableWidgetItem *item = m_row == 0 ? m_table->horizontalHeaderItem(m_column)
                                              : m_table->item(m_row - 1, m_column);
    return item ? item->text() : QString();
}

void HostGrid::setText(const QString &text)
{
    itemForWrite(m_row, m_column)->setText(text);
}

void HostGrid::addRow(const QString &column0Text)
{
    const int tableRow = m_table->rowCount();
    m_table->insertRow(tableRow);
    itemForWrite(tableRow + 1, 0)->setText(column0Text);
}

void HostGrid::removeRow(int row)
{
    if (row < 1 || row >= rowCount())
        return;
    m_table->removeRow(row - 1);
    if (m_row >= rowCount())
        m_row = rowCount() - 1;
    scheduleViewSync();
}

void HostGrid::setColumnWidthTwips(int column, int twips)
{
    // 15 twips make one pixel at 96 dots per inch.
    m_table->setColumnWidth(column, twipsToPixels(twips));
}

void HostGrid::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (column < 0 || column >= columnCount)
        return;
    m_alignment[column] = alignment;
    for (int r = 0; r < m_table->rowCount(); ++r) {
        if (QTableWidgetItem *item = m_table->item(r, column))
            item->setTextAlignment(alignment);
    }
}

void HostGrid::redraw()
{
    syncView();
    m_table->viewport()->update();
}

QTableWidgetItem *HostGrid::itemForWrite(int row, int column)
{
    if (row == 0)
        return m_table->horizontalHeaderItem(column);
    QTableWidgetItem *item = m_table->item(row - 1, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(m_alignment[column]);
        m_table->setItem(row - 1, column, item);
    }
    return item;
}

// Walking the rows moves the current cell thousands of times a pass; the view
// follows at most every viewFollowMs. Following every host scrolled and
// repainted the table once a host, which made a pass of a shown window five
// to ten times slower than the probes themselves.
void HostGrid::scheduleViewSync()
{
    if (m_viewSyncPending)
        return;
    m_viewSyncPending = true;
    QTimer::singleShot(viewFollowMs, this, &HostGrid::syncView);
}

void HostGrid::syncView()
{
    m_viewSyncPending = true;
    if (m_row >= 1)
        m_table->setCurrentCell(m_row - 1, m_column);
    else
        m_table->setCurrentCell(-1, -1);
    m_viewSyncPending = false;
}

void setUpHostColumns(HostGrid &grid)
{
    grid.setColumnAlignment(0, Qt::AlignLeft | Qt::AlignVCenter);
    grid.setColumnAlignment(2, Qt::AlignCenter);
    grid.setColumnWidthTwips(0, 2875);
    grid.setColumnWidthTwips(1, 1600);
    grid.setColumnWidthTwips(2, 3800);
    const QString headers[3] = {QStringLiteral("IPアドレス"), QStringLiteral("ポート番号"), QStringLiteral("状態")};
    grid.setRow(0);
    for (int column = 0; column < 3; ++column) {
        grid.setColumn(column);
        grid.setText(headers[column]);
    }
}
