#pragma once

#include "platform/HostGrid.h"

#include <QStringList>
#include <QTableWidget>

// The texts of one column over a grid's host rows (row 1 on), read without
// moving the grid's current cell.
inline QStringList columnTexts(const HostGrid &grid, int column)
{
    QStringList texts;
    for (int row = 0; row < grid.rowCount() - 1; ++row) {
        const QTableWidgetItem *item = grid.table()->item(row, column);
        texts.append(item ? item->text() : QString());
    }
    return texts;
}
