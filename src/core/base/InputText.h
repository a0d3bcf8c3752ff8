#pragma once

#include <QString>

#include <optional>

// Text as an operator typed it or a peer sent it, made fit for use.
namespace InputText
{
// Control characters and line or paragraph separators become spaces, so that
// the text stays on its one line of the log, of a mail or of a command.
QString oneLine(QString text);

// Whether a number may be followed by other text ("80/tcp") or must stand alone.
enum class Rest { Ignored, Refused };

// The number a text begins with, blanks around it ignored, rounded to a whole
// number (a half to the even one). Full-width digits and point, as a Japanese
// input method types them ("６０"), read as their ASCII forms. Nothing when
// there is no number or it lies outside min to max.
std::optional<int> number(const QString &text, int min, int max, Rest rest);

// A host's port as the pass probes it and the host dialog checks it: the
// number the text begins with ("80/tcp" is 80), from 1 to 65535.
inline std::optional<int> port(const QString &text)
{
    return number(text, 1, 65535, Rest::Ignored);
}
}
