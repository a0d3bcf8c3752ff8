#pragma once

#include "core/hosts/HostTableModel.h"

#include <QObject>
#include <QPointer>
#include <QString>

class EventLog;

// What the host dialog does to the host list. The dialog shows a list of its
// own, read from "Sentrova.ini" when it opens; every add and delete changes
// that list and the main list (the one the monitoring pass walks), then
// rewrites the file from the dialog's list.
//
// The two lists hold the same rows unless the file was edited by hand after
// start-up: an add therefore appends to each list's own end, and a delete
// leaves the main list alone where it has no such row.
class HostListEditor : public QObject
{
    Q_OBJECT

public:
    HostListEditor(HostTableModel &mainHosts, const QString &folder, const EventLog &log, QObject *parent = nullptr);

    HostTableModel &hosts() { return m_own; }

    // False when refused, with the reason told; nothing changes then.
    bool add(const QString &address, const QString &port);
    // Deletes the row picked since the last delete, or says why not; the list
    // is saved in every case.
    void deleteSelected();
    // The operator picked a row of the dialog's list; -1 for its header.
    void select(int row);

Q_SIGNALS:
    void userMessage(const QString &text);

private:
    void save();

    HostTableModel m_own;
    QPointer<HostTableModel> m_main;
    QString m_folder;
    const EventLog &m_log;
};
