#include "help/frmHELP.h"

#include "help/HelpText.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

frmHELP::frmHELP(QWidget *mainWindow, QWidget *parent)
    : QWidget(parent)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmHELP"));
    setWindowTitle(QStringLiteral("HELP"));
    // Resizable; the controls keep their places and sizes.
    resize(twipsToPixels(9930), twipsToPixels(6930));

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(rectFromTwips(120, 120, 9690, 5955));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setTabStopDistance(96);
    Text1->setPlainText(HelpText::lines().join(QLatin1Char('\n')));

    Command1 = new QPushButton(QStringLiteral("閉じる"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(rectFromTwips(4320, 6225, 1290, 405));
    connect(Command1, &QPushButton::clicked, this, &frmHELP::Command1Clicked);
}

bool frmHELP::event(QEvent *event)
{
    if (event->type() == QEvent::WindowDeactivate) {
        // Which window took the activation is known only once the switch
        // is over.
        QTimer::singleShot(0, this, &frmHELP::activatedElsewhere);
    }
    return QWidget::event(event);
}

void frmHELP::Command1Clicked()
{
    close();
    showMainWindow();
}

void frmHELP::activatedElsewhere()
{
    QWidget *active = QApplication::activeWindow();
    // Another program's window, or a message box waiting for an answer,
    // keeps its place.
    if (!active || active == this || QApplication::activeModalWidget())
        return;
    showMainWindow();
}

void frmHELP::showMainWindow()
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
