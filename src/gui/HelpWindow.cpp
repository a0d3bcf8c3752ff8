#include "gui/HelpWindow.h"

#include "gui/HelpText.h"
#include "gui/common/Placement.h"

#include <QApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

HelpWindow::HelpWindow(QWidget *mainWindow, QWidget *parent)
    : QWidget(parent)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("HELP"));
    // Resizable; the controls keep their places and sizes.
    resize(twipsToPixels(9930), twipsToPixels(6930));

    auto *text = new QPlainTextEdit(this);
    text->setObjectName(QStringLiteral("helpText"));
    text->setGeometry(rectFromTwips(120, 120, 9690, 5955));
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setTabStopDistance(96);
    text->setPlainText(HelpText::lines().join(QLatin1Char('\n')));

    auto *closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setGeometry(rectFromTwips(4320, 6225, 1290, 405));
    connect(closeButton, &QPushButton::clicked, this, [this] {
        close();
        showMainWindow();
    });
}

bool HelpWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate) {
        // Which window took the activation is known only once the switch
        // is over.
        QTimer::singleShot(0, this, &HelpWindow::activatedElsewhere);
    }
    return QWidget::event(event);
}

void HelpWindow::activatedElsewhere()
{
    QWidget *active = QApplication::activeWindow();
    // Another program's window, or a message box waiting for an answer,
    // keeps its place.
    if (!active || active == this || QApplication::activeModalWidget())
        return;
    showMainWindow();
}

void HelpWindow::showMainWindow()
{
    // A main window that has been closed is never brought back: closing it
    // ends the program.
    if (!m_mainWindow || m_mainWindow->isHidden())
        return;
    if (m_mainWindow->isMinimized())
        m_mainWindow->setWindowState(m_mainWindow->windowState() & ~Qt::WindowMinimized);
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}
