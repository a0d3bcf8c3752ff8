#pragma once

#include <QWidget>

class EventLog;
class HostListEditor;
class HostTableModel;
class QLineEdit;

// "ホスト登録": adds hosts to the list and deletes them. Every change reaches
// the main window's list and "Sentrova.ini" at once; closing the window
// neither saves nor undoes anything.
class HostDialog : public QWidget
{
    Q_OBJECT

public:
    HostDialog(HostTableModel &mainHosts, const QString &folder, const EventLog &log, QWidget *parent = nullptr);

private:
    HostListEditor *m_editor;
    QLineEdit *m_addressEdit = nullptr;
    QLineEdit *m_portEdit = nullptr;
};
