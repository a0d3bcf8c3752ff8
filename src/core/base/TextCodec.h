#pragma once

#include <QByteArray>
#include <QString>

// Every text file, the mail and the page are in code page 932 (Shift_JIS with
// the Microsoft extensions), the multibyte code page of the Japanese systems
// the program is made for.
namespace TextCodec
{
// A character code page 932 cannot hold becomes "?".
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);
// False when some character has no code in code page 932 and would be
// stored as a substitute (an umlaut, U+2212, most emoji).
bool canEncode(const QString &text);
// A settings file edited by hand: code page 932, unless the editor saved it
// as UTF-8 and said so with a leading byte-order mark, which is not text.
QString decodeFile(const QByteArray &bytes);
// False where the Qt build has no converter for code page 932, so that no
// Japanese text could be read or written.
bool isAvailable();
}
