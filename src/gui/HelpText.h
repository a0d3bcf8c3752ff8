#pragma once

#include <QStringList>

// The fixed help text: a header block between rules of "=", the
// introduction, the four setup steps and the closing word.
namespace HelpText
{
QStringList lines();
}
