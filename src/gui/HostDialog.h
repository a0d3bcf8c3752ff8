#pragma once

#include <QWidget>

class EventLog;
class HostGridView;
class HostListEditor;
class HostTableModel;
class QComboBox;
class QLineEdit;
class QPushButton;

// "ホスト登録": adds hosts to the list and deletes them. Every change reaches
// the main window's list and "Sentrova.ini" at once; closing the window
// neither saves nor undoes anything.
class HostDialog : public QWidget
{
    Q_OBJECT

public:
    HostDialog(HostTableModel &mainHosts, const QString &folder, const EventLog &log, QWidget *parent = nullptr);

private:
    void createControls();
    void bindControls();

    HostListEditor *m_editor;
    QLineEdit *m_addressEdit = nullptr;
    QComboBox *m_portPresets = nullptr;
    QLineEdit *m_portEdit = nullptr;
    HostGridView *m_grid = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_closeButton = nullptr;
};
