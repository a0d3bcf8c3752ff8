#include "platform/HostGrid.h"

#include <QScrollBar>
#include <QTableWidget>
#include <QtTest>

class TestHostGrid : public QObject
{
    Q_OBJECT

    static QString cell(HostGrid &grid, int row, int column)
    {
        grid.setRow(row);
        grid.setColumn(column);
        return grid.text();
    }

private Q_SLOTS:
    void createdWithHeaderAndBlankRow()
    {
        HostGrid grid;
        QCOMPARE(grid.rowCount(), 2);
        QCOMPARE(cell(grid, 1, 0), QString());
        grid.setRow(0);
        grid.setColumn(2);
        grid.setText(QStringLiteral("状態"));
        QCOMPARE(cell(grid, 0, 2), QStringLiteral("状態"));
        QCOMPARE(grid.table()->horizontalHeaderItem(2)->text(), QStringLiteral("状態"));
    }

    void appendAndRemoveRows()
    {
        HostGrid grid;
        grid.addRow(QStringLiteral("a"));
        grid.addRow(QStringLiteral("b"));
        grid.addRow(QStringLiteral("c"));
        QCOMPARE(grid.rowCount(), 5);
        QCOMPARE(cell(grid, 3, 0), QStringLiteral("b"));
        QCOMPARE(cell(grid, 3, 1), QString());
        grid.removeRow(3);
        QCOMPARE(grid.rowCount(), 4);
        QCOMPARE(cell(grid, 3, 0), QStringLiteral("c"));
        // The header row is never removed, nor a row that does not exist.
        grid.removeRow(0);
        grid.removeRow(9);
        QCOMPARE(grid.rowCount(), 4);
        // A current row past the end moves back onto the last row.
        grid.setRow(3);
        grid.removeRow(3);
        QCOMPARE(grid.row(), 2);
    }

    void columnAlignmentAppliesToNewCells()
    {
        HostGrid grid;
        grid.setColumnAlignment(2, Qt::AlignCenter);
        grid.addRow(QStringLiteral("a"));
        grid.setRow(2);
        grid.setColumn(2);
        grid.setText(QStringLiteral("x"));
        QCOMPARE(grid.table()->item(1, 2)->textAlignment(), int(Qt::AlignCenter));
    }

    // Walking every row, as the pass and the page writer do, leaves the
    // operator's view where it was.
    void walkingRowsKeepsTheView()
    {
        HostGrid grid;
        grid.resize(400, 200);
        for (int i = 0; i < 100; ++i)
            grid.addRow(QStringLiteral("h%1").arg(i));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        for (int row = 1; row < grid.rowCount(); ++row) {
            grid.setRow(row);
            grid.setColumn(2);
        }
        grid.redraw();
        QCOMPARE(grid.table()->verticalScrollBar()->value(), 0);
        QCOMPARE(grid.row(), 101);
    }

    void clickMakesCellCurrentFirst()
    {
        HostGrid grid;
        grid.resize(400, 200);
        grid.addRow(QStringLiteral("a"));
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        int rowAtClick = -1;
        connect(&grid, &HostGrid::clicked, this, [&] { rowAtClick = grid.row(); });
        QTableWidget *table = grid.table();
        const QRect rect = table->visualItemRect(table->item(1, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(rowAtClick, 2);
        QCOMPARE(grid.column(), 0);
    }
};

QTEST_MAIN(TestHostGrid)
#include "tst_hostgrid.moc"
