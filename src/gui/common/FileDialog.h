#pragma once

#include <QString>

#include <functional>

class QWidget;

// Qt's folder dialog without a nested event loop: it is shown modal to its
// parent window and reports the outcome later, so timers and the monitoring
// go on while the operator browses.
namespace FileDialog
{
// Opens at start, or at its nearest folder that exists. done receives the
// chosen folder, or an empty text when the operator cancelled. It runs with
// parent as its context: if parent goes away first, done is never called.
void chooseFolder(QWidget *parent, const QString &start, std::function<void(const QString &folder)> done);

// Test hook: while set, the hook answers instead of a dialog (empty text for
// a cancel) and done runs before chooseFolder returns.
using Hook = std::function<QString()>;
void setTestHook(Hook hook);
}
