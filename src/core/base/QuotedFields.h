#pragma once

#include <QStringList>

// The reader shared by the two settings files: fields separated by commas and
// line ends. Spaces before a field are skipped. A field that begins with a
// double quote runs to the next double quote and is taken without the quotes
// (commas and spaces inside belong to it); anything after the closing quote
// up to the next comma or line end is skipped. An unquoted field runs to the
// next comma or line end, without trailing spaces. Blank lines give no field;
// a comma at a line end gives an empty field.
namespace QuotedFields
{
QStringList parse(const QString &text);
}
