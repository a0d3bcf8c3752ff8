#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class StatusPageSettings;

// "WWW設定": the status page on or off, its name and its folder. It has no OK
// and no Cancel: every change is stored at once; the close button only
// closes. Opening it refreshes the page writer's on/off copy.
class StatusPageDialog : public QWidget
{
    Q_OBJECT

public:
    explicit StatusPageDialog(StatusPageSettings &workingCopies, QWidget *parent = nullptr);

private:
    void browse();
    void storeTexts();

    QCheckBox *m_enabledCheck = nullptr;
    QLineEdit *m_pageEdit = nullptr;
    QLineEdit *m_folderEdit = nullptr;
    // The last file chosen while this window is open; a cancelled browse
    // applies it again.
};
