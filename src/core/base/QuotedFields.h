#pragma once

#include <QStringList>

// The reader shared by the two settings files: fields separated by commas and
// line ends. Spaces before a field are skipped. A field that begins with a
// double quote runs to the next double quote and is taken without the quotes
// (commas and spaces inside belong to it); anything after the closing quote
// up to the next comma or line end is skipped. An unquoted field runs to the
// next comma or line end, without trailing spaces. A comma at a line end
// gives an empty field; a blank line gives none, or one empty field where a
// file may hold its values one a line.
namespace QuotedFields
{
enum class BlankLine { Skipped, EmptyField };
QStringList parse(const QString &text, BlankLine blankLine = BlankLine::Skipped);
}
