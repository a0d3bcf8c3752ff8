#pragma once

#include <QString>

#include <functional>

class QWidget;

// The platform's open-file dialog without a nested event loop: it is shown
// modal to its parent window and reports the outcome later, so timers and
// the monitoring go on while the operator browses.
namespace FileDialog
{
// done receives the full path of the chosen file, or an empty text when the
// operator cancelled. It runs with parent as its context: if parent goes
// away first, done is never called.
void chooseFile(QWidget *parent, std::function<void(const QString &chosenFile)> done);

// Test hook: while set, the hook answers instead of a dialog (empty text for
// a cancel) and done runs before chooseFile returns.
using Hook = std::function<QString()>;
void setTestHook(Hook hook);
}
