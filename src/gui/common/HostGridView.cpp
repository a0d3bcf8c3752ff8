#include "gui/common/HostGridView.h"

#include "core/hosts/HostTableModel.h"
#include "gui/common/Placement.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolTip>

namespace
{
// How long the current row may lag behind the list's cursor.
constexpr int followMs = 40;

// Down rows stand out in a red tint; a cell whose text is cut off shows it
// whole as a tooltip.
class HostCellDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.siblingAtColumn(HostTableModel::StatusColumn).data().toString() == QStringLiteral("サーバーダウン"))
            option->backgroundBrush = QColor(255, 214, 214);
    }

    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override
    {
        const QString text = index.data().toString();
        if (option.fontMetrics.horizontalAdvance(text) + 6 <= option.rect.width()) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(event->globalPos(), text, view, option.rect);
        return true;
    }
};
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
    setItemDelegate(new HostCellDelegate(this));
}

void HostGridView::setHosts(HostTableModel *hosts)
{
    m_hosts = hosts;
    setModel(hosts);
    const int widthsTwips[] = {2875, 1600, 3800};
    for (int column = 0; column < HostTableModel::ColumnCount; ++column)
        setColumnWidth(column, twipsToPixels(widthsTwips[column]));
    // A grid larger than its design gives the room to the host names.
    horizontalHeader()->setSectionResizeMode(HostTableModel::AddressColumn, QHeaderView::Stretch);
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
