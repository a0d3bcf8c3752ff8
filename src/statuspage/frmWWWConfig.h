#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class WwwSettings;

// The status page settings window. It has no OK and no Cancel: every change
// of a field or of the check box is stored at once; the close button only
// closes. Opening it refreshes the program's working copy wwwEnabled.
class frmWWWConfig : public QWidget
{
    Q_OBJECT

public:
    explicit frmWWWConfig(WwwSettings &workingCopies, QWidget *parent = nullptr);

private:
    void createControls();
    void load();
    void storeFields();
    void WWWEnableClicked();
    void Command2Clicked();
    void applyChosenFile(const QString &chosenFile);

    WwwSettings &m_workingCopies;
    bool m_loading = false;
    // The last file chosen while this window is open; a cancelled browse
    // applies it again.
    QString m_chosenFile;

    QGroupBox *Frame1 = nullptr;
    QCheckBox *WWWEnable = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *Combo1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command1 = nullptr;
};
