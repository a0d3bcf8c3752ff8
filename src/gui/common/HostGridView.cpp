#include "gui/common/HostGridView.h"

#include "core/hosts/HostTableModel.h"
#include "gui/common/Placement.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

namespace
{
// How long the current row may lag behind the list's cursor.
constexpr int followMs = 40;
}

HostGridView::HostGridView(QWidget *parent)
    : QTableView(parent)
{
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The pass walks every row; the operator's view must not be dragged
    // along to the last row at every interval.
    setAutoScroll(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStretchLastSection(false);
    // The three columns fill the grid to within its frame; a scroll bar for
    // the last pixel or two would only hide a row.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this] { Q_EMIT rowPicked(-1); });
}

void HostGridView::setHosts(HostTableModel *hosts)
{
    m_hosts = hosts;
    setModel(hosts);
    const int widthsTwips[] = {2875, 1600, 3800};
    for (int column = 0; column < HostTableModel::ColumnCount; ++column)
        setColumnWidth(column, twipsToPixels(widthsTwips[column]));
    // A pass moves the cursor once a host; following every move repainted
    // the grid once a host, which made a pass of a shown window many times
    // slower than its probes.
    connect(hosts, &HostTableModel::cursorChanged, this, [this] {
        if (m_followPending)
            return;
        m_followPending = true;
        QTimer::singleShot(followMs, this, &HostGridView::follow);
    });
    follow();
}

void HostGridView::mousePressEvent(QMouseEvent *event)
{
    QTableView::mousePressEvent(event);
    const QModelIndex clicked = indexAt(event->position().toPoint());
    if (clicked.isValid())
        Q_EMIT rowPicked(clicked.row());
}

void HostGridView::keyPressEvent(QKeyEvent *event)
{
    const int before = currentIndex().row();
    QTableView::keyPressEvent(event);
    if (currentIndex().isValid() && currentIndex().row() != before)
        Q_EMIT rowPicked(currentIndex().row());
}

void HostGridView::follow()
{
    m_followPending = false;
    setCurrentIndex(m_hosts->index(m_hosts->cursor(), 0));
}
