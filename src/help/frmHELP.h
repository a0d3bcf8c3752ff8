#pragma once

#include <QPointer>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// "HELP": the help text, and a window that keeps pulling the main window
// forward when it is closed by its button and whenever another window of the
// program takes the activation from it.
class frmHELP : public QWidget
{
    Q_OBJECT

public:
    explicit frmHELP(QWidget *mainWindow, QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    void Command1Clicked();
    void activatedElsewhere();
    void showMainWindow();

    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPointer<QWidget> m_mainWindow;
};
