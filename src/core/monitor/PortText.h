#pragma once

#include <QString>

// The port column as the operator typed it: the number it begins with,
// rounded to a whole number (a half to the even one), so "80", " 80" and
// "80/tcp" all give 80. Text that does not begin with a number, or a number
// outside 1 to 65535, gives no port (0).
namespace PortText
{
int port(const QString &text);
}
