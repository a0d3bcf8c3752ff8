#pragma once

#include "core/base/SafeSave.h"
#include "core/notify/MailRoute.h"

#include <QByteArray>
#include <QString>

#include <optional>

// "MailConfig.ini" in the program folder: one line of seven quoted fields
// (server, sender, recipients 1 to 5), CR LF, code page 932. The reader is
// lenient: it also takes the values one a line, quoted or not (a blank line
// is an empty value), and ignores anything after the seventh.
namespace MailConfigFile
{
// Nothing when the text holds fewer than seven fields.
std::optional<MailRoute> parse(const QByteArray &bytes);
// The file has no escape for a double quote: callers refuse such values.
QByteArray serialize(const MailRoute &route);

std::optional<MailRoute> load(const QString &folder);
// Why not, when the file cannot be written; the old file stays as it was.
std::optional<SafeSave::Failure> save(const QString &folder, const MailRoute &route);
}
