#pragma once

#include "core/base/SafeSave.h"
#include "core/hosts/HostTableModel.h"

#include <QByteArray>
#include <QList>
#include <QString>

// "Sentrova.ini" in the program folder: one line per host, "address","port"
// CR LF, in code page 932. Status texts are never stored.
namespace HostListFile
{
struct Parsed
{
    QList<Host> hosts;
    bool complete = true;   // false: the text ended inside a record
};

// Fields are separated by commas and line ends and paired in order, so a
// record may run over a line end; unquoted fields are taken as well.
Parsed parse(const QByteArray &bytes);
// The file has no escape for a double quote: such characters are dropped.
QByteArray serialize(const QList<Host> &hosts);

// Adds the file's hosts to the list. False for a missing or unreadable
// file, one that ends inside a record, or more hosts than a list holds; the
// hosts read before that stay.
bool load(const QString &folder, HostTableModel &hosts);
// Why not, and the old file kept, when the file cannot be written or the list
// has more rows than the file may hold.
std::optional<SafeSave::Failure> save(const QString &folder, const HostTableModel &hosts);
}
