#include "platform/HostGrid.h"

#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

// A shown grid of host rows "h0", "h1", ...
static void fill(HostGrid &grid, int rows)
{
    grid.resize(400, 200);
    for (int i = 0; i < rows; ++i)
        grid.addRow(QStringLiteral("h%1").arg(i));
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
}

class TestHostGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void removeRow()
    {
        HostGrid grid;
        fill(grid, 3);
        grid.removeRow(3);
        // The header row is never removed, nor a row that does not exist.
        grid.removeRow(0);
        grid.removeRow(9);
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(grid.table()->item(2, 0)->text(), QStringLiteral("h2"));
        // A current row past the end moves back onto the last row.
        grid.setRow(3);
        grid.removeRow(3);
        QCOMPARE(grid.row(), 2);
    }

    // Walking every row, as the pass and the page writer do, leaves the
    // operator's view where it was.
    void walkingRowsKeepsTheView()
    {
        HostGrid grid;
        fill(grid, 100);
        for (int row = 1; row < grid.rowCount(); ++row)
            grid.setRow(row);
        grid.redraw();
        QCOMPARE(grid.table()->verticalScrollBar()->value(), 0);
    }

    void clickMakesCellCurrentFirst()
    {
        HostGrid grid;
        fill(grid, 1);
        int rowAtClick = -1;
        connect(&grid, &HostGrid::clicked, this, [&] { rowAtClick = grid.row(); });
        QTableWidget *table = grid.table();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualItemRect(table->item(1, 0)).center());
        QCOMPARE(rowAtClick, 2);
    }
};

QTEST_MAIN(TestHostGrid)
#include "tst_hostgrid.moc"
