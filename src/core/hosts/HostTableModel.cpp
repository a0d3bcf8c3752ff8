#include "core/hosts/HostTableModel.h"

HostTableModel::HostTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

int HostTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_hosts.size());
}

int HostTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HostTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const Host &host = m_hosts.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return index.column() == AddressColumn ? host.address : index.column() == PortColumn ? host.port : host.status;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(index.column() == StatusColumn ? Qt::Alignment(Qt::AlignCenter)
                                                                  : Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant HostTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case AddressColumn:
        return QStringLiteral("IPアドレス");
    case PortColumn:
        return QStringLiteral("ポート番号");
    case StatusColumn:
        return QStringLiteral("状態");
    default:
        return {};
    }
}

bool HostTableModel::firstRowFree() const
{
    return m_hosts.first().port.isEmpty();
}

void HostTableModel::place(const Host &host)
{
    // A status shown in the first row belonged to the host that was there.
    const Host placed{host.address, host.port, QString()};
    if (firstRowFree())
        m_hosts.first() = placed;
    else
        m_hosts.append(placed);
}

int HostTableModel::add(const QString &address, const QString &port)
{
    if (firstRowFree()) {
        place({address, port, {}});
        Q_EMIT dataChanged(index(0, 0), index(0, ColumnCount - 1));
        return 0;
    }
    const int row = int(m_hosts.size());
    beginInsertRows({}, row, row);
    place({address, port, {}});
    endInsertRows();
    return row;
}

bool HostTableModel::addAll(const QList<Host> &hosts)
{
    // One reset for the lot: a view told of 30,000 rows one at a time
    // takes seconds over it.
    beginResetModel();
    bool allFitted = true;
    for (const Host &host : hosts) {
        if (!firstRowFree() && m_hosts.size() >= maxLoadedRows) {
            allFitted = false;
            break;
        }
        place(host);
    }
    endResetModel();
    return allFitted;
}

void HostTableModel::remove(int row)
{
    if (row < 0 || row >= m_hosts.size())
        return;
    if (m_hosts.size() == 1) {
        m_hosts.first() = Host{};
        Q_EMIT dataChanged(index(0, 0), index(0, ColumnCount - 1));
        return;
    }
    beginRemoveRows({}, row, row);
    m_hosts.removeAt(row);
    endRemoveRows();
    if (m_cursor >= m_hosts.size())
        setCursor(int(m_hosts.size()) - 1);
}

void HostTableModel::setStatus(int row, const QString &status)
{
    if (row < 0 || row >= m_hosts.size() || m_hosts.at(row).status == status)
        return;
    m_hosts[row].status = status;
    Q_EMIT dataChanged(index(row, StatusColumn), index(row, StatusColumn));
}

void HostTableModel::setCursor(int row)
{
    if (row < -1 || row >= m_hosts.size() || row == m_cursor)
        return;
    m_cursor = row;
    Q_EMIT cursorChanged(row);
}
