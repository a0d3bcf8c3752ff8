#pragma once

#include <QPointer>
#include <QString>

#include <functional>

class QMessageBox;
class QWidget;

// The program's message box: OK only, no icon, title "Sentrova". It is shown
// application-modal but without a nested event loop, so timers, sockets and
// the monitoring go on while it waits for the operator.
namespace MessageBox
{
// Returns the box shown, or null when a test hook took the message.
QPointer<QMessageBox> show(QWidget *parent, const QString &text);

// Test hook: while set, messages go to the hook instead of the screen.
using Hook = std::function<void(const QString &text)>;
void setTestHook(Hook hook);
}
