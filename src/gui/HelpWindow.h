#pragma once

#include <QPointer>
#include <QWidget>

// "HELP": how to set the program up. The window keeps pulling the main
// window forward: when it is closed by its button and whenever another window
// of the program takes the activation from it.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *mainWindow, QWidget *parent = nullptr);

protected:
    bool event(QEvent *event) override;

private:
    void activatedElsewhere();
    void showMainWindow();

    QPointer<QWidget> m_mainWindow;
};
