#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

struct Host
{
    QString address;   // an IP address or a host name, as typed
    QString port;   // as typed; normally a decimal number
    QString status;   // written by the monitoring pass only, never stored
    bool operator==(const Host &) const = default;
};

// The host list: one row a host, with its address, port and status. The list
// is never empty of rows: an empty list is one blank row. Its cursor is the
// row being worked on (the host being probed, the row just added), and views
// follow it.
class HostTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { AddressColumn, PortColumn, StatusColumn, ColumnCount };
    // Rows are counted in signed 16 bits with a header row before them: a
    // list is read up to this many rows, and written (the host list file, the
    // status page) only when it has no more than maxWrittenRows.
    static constexpr int maxLoadedRows = 32767;
    static constexpr int maxWrittenRows = 32766;
    // Why a longer list is not written, for an operator.
    static QString tooManyRowsText() { return QStringLiteral("ホストが32766件を超えています"); }

    explicit HostTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const QList<Host> &hosts() const { return m_hosts; }

    // The first row takes the host while its port is empty (a new list, or
    // one saved from an empty list); otherwise it becomes a new last row.
    // Returns its row.
    int add(const QString &address, const QString &port);
    // Adds hosts as add() does, up to maxLoadedRows rows; false when some
    // did not fit.
    bool addAll(const QList<Host> &hosts);
    // The only row is blanked, never removed. A row that does not exist is
    // left alone.
    void remove(int row);
    void setStatus(int row, const QString &status);

    int cursor() const { return m_cursor; }   // -1: no row
    void setCursor(int row);

Q_SIGNALS:
    void cursorChanged(int row);

private:
    bool firstRowFree() const;
    void place(const Host &host);

    QList<Host> m_hosts{Host{}};
    int m_cursor = -1;
};
