#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

// Keeps a window's design: every control stays where the design puts it,
// and when the window is larger than its design size the controls given
// here move or grow with the extra room. The design size is the default and
// the minimum.
class DesignLayout : public QLayout
{
public:
    enum Anchor {
        MoveRight = 1,   // keeps its distance to the right edge
        MoveDown = 2,   // keeps its distance to the bottom edge
        Wider = 4,   // takes the extra width
        Taller = 8,   // takes the extra height
    };
    Q_DECLARE_FLAGS(Anchors, Anchor)

    DesignLayout(QWidget *window, QSize designSize);
    ~DesignLayout() override;

    // The control, at its design place, follows the window's size as told.
    void anchor(QWidget *control, Anchors anchors);

    QSize sizeHint() const override { return m_designSize; }
    QSize minimumSize() const override { return m_designSize; }
    void setGeometry(const QRect &rect) override;
    void addItem(QLayoutItem *item) override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    int count() const override { return int(m_items.size()); }

private:
    struct Item
    {
        QLayoutItem *item;
        QRect design;
        Anchors anchors;
    };
    QSize m_designSize;
    QList<Item> m_items;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DesignLayout::Anchors)
