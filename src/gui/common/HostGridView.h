#pragma once

#include <QTableView>

class HostTableModel;

// The host list as a grid: a header row, the address, port and status
// columns at the program's widths, and the list's cursor as the current row.
// A click, or a keyboard move, tells which row the operator picked (-1 for
// the header).
class HostGridView : public QTableView
{
    Q_OBJECT

public:
    explicit HostGridView(QWidget *parent = nullptr);

    void setHosts(HostTableModel *hosts);

Q_SIGNALS:
    void rowPicked(int row);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void follow();

    HostTableModel *m_hosts = nullptr;
    bool m_followPending = false;
};
