#include "gui/common/DesignLayout.h"

#include <QWidget>

DesignLayout::DesignLayout(QWidget *window, QSize designSize)
    : QLayout(window)
    , m_designSize(designSize)
{
    setContentsMargins(0, 0, 0, 0);
}

DesignLayout::~DesignLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

void DesignLayout::anchor(QWidget *control, Anchors anchors)
{
    addChildWidget(control);
    m_items.append({new QWidgetItem(control), control->geometry(), anchors});
    invalidate();
}

void DesignLayout::addItem(QLayoutItem *item)
{
    m_items.append({item, item->geometry(), {}});
}

QLayoutItem *DesignLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index).item : nullptr;
}

QLayoutItem *DesignLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index).item : nullptr;
}

void DesignLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const int extraWidth = qMax(0, rect.width() - m_designSize.width());
    const int extraHeight = qMax(0, rect.height() - m_designSize.height());
    for (const Item &item : std::as_const(m_items)) {
        QRect place = item.design.translated(rect.topLeft());
        place.translate(item.anchors & MoveRight ? extraWidth : 0, item.anchors & MoveDown ? extraHeight : 0);
        place.adjust(0, 0, item.anchors & Wider ? extraWidth : 0, item.anchors & Taller ? extraHeight : 0);
        item.item->setGeometry(place);
    }
}
