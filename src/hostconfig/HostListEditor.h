#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class HostGrid;
class QWidget;

// What the host dialog does to the host list: every add and delete changes the
// dialog's grid and the main window's grid at the same row number and then
// rewrites "Sentrova.ini" from the dialog's grid.
//
// The main window's grid is the one the monitoring pass walks, and a pass
// lets dialog actions run between its hosts. So nothing here reads or writes
// a row of that grid that does not exist, and its header and its row 1 are
// never removed; the pass itself re-checks the row count before every host.
class HostListEditor
{
public:
    using LogFunction = std::function<void(const QString &whatHappened)>;

    // mainGrid may be null (or go away); messages are shown over messageParent.
    HostListEditor(HostGrid &ownGrid, HostGrid *mainGrid, const QString &programFolder,
                   LogFunction logEvent, QWidget *messageParent = nullptr);

    // Fills the dialog's grid from the file, silently.
    void LoadHostList();
    // Writes the dialog's grid to the file; a failure is logged and shown.
    void SaveHostList();

    // Returns false when the add was refused (a message has been shown);
    // nothing then changes and nothing is saved.
    bool add(const QString &address, const QString &port);
    // Deletes the selected row, or shows why not; saves in every case.
    void deleteSelected();
    // A click on the dialog's grid picks its current row.
    void rowClicked() { m_rowClicked = true; }
    bool isRowClicked() const { return m_rowClicked; }

private:
    void blankRowOne(HostGrid &grid);

    HostGrid &m_own;
    QPointer<HostGrid> m_main;
    QString m_programFolder;
    LogFunction m_logEvent;
    QPointer<QWidget> m_messageParent;
    bool m_rowClicked = false;
};
