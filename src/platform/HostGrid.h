#pragma once

#include <QWidget>

class QTableWidget;
class QTableWidgetItem;

// The host table: three columns, row 0 the fixed header row, rows 1 and on
// the hosts. Like the grid control the program was designed for, every read
// and write goes through the current cell (setRow, setColumn, then text or
// setText). As created it holds the header row and one blank host row.
class HostGrid : public QWidget
{
    Q_OBJECT

public:
    static constexpr int columnCount = 3;
    // How long the view may lag behind the current cell.
    static constexpr int viewFollowMs = 40;

    explicit HostGrid(QWidget *parent = nullptr);

    int rowCount() const;            // header row included
    int row() const;
    void setRow(int row);
    int column() const;
    void setColumn(int column);
    QString text() const;            // of the current cell
    void setText(const QString &text);

    // A new last row with text in column 0; the other cells empty.
    void addRow(const QString &column0Text);
    void removeRow(int row);

    void setColumnWidthTwips(int column, int twips);
    void setColumnAlignment(int column, Qt::Alignment alignment);
    void redraw();

    // For tests and screenshots: the widget that shows the host rows
    // (table row r is grid row r + 1).
    QTableWidget *table() const { return m_table; }

Q_SIGNALS:
    // The clicked cell is already current when this is emitted.
    void clicked();

private:
    QTableWidgetItem *itemForWrite(int row, int column);
    void scheduleViewSync();
    void syncView();

    QTableWidget *m_table;
    int m_row = 0;
    int m_column = 0;
    Qt::Alignment m_alignment[columnCount] = {Qt::AlignLeft | Qt::AlignVCenter,
                                              Qt::AlignLeft | Qt::AlignVCenter,
                                              Qt::AlignLeft | Qt::AlignVCenter};
    bool m_viewSyncPending = false;
};

// The host table of both windows: column alignments and widths, and the
// header texts "IPアドレス", "ポート番号", "状態" in row 0. The current cell
// is left on row 0, column 2.
void setUpHostColumns(HostGrid &grid);
