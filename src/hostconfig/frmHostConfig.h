#pragma once

#include "hostconfig/HostListEditor.h"

#include <QWidget>

#include <memory>

class HostGrid;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "ホスト登録": adds hosts to and deletes hosts from the list. Every change
// reaches the main window's grid and the file at once; closing the window
// neither saves nor undoes anything.
class frmHostConfig : public QWidget
{
    Q_OBJECT

public:
    // mainGrid is the live host table of the main window; logEvent records a
    // failed save in the program's log.
    frmHostConfig(HostGrid *mainGrid, const QString &programFolder,
                  HostListEditor::LogFunction logEvent, QWidget *parent = nullptr);
    ~frmHostConfig() override;

    HostListEditor &editor() { return *m_editor; }

private:
    void createControls();
    void setUpGrid();
    void cbxPortSelClicked(int index);
    void cmdAddClicked();
    void cmdDeleteClicked();

    QLabel *Label2 = nullptr;
    QLineEdit *txtIpAddress = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *cbxPortSel = nullptr;
    QLineEdit *PortNo = nullptr;
    HostGrid *grdHotGrid = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *Command1 = nullptr;

    std::unique_ptr<HostListEditor> m_editor;
};
