#pragma once

#include "core/hosts/HostTableModel.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The status page: a small HTML table of every host with its port and its
// status text, in code page 932 with CR LF after every line. The page says
// which encoding it is in, so a browser or a web server that assumes another
// one still shows the Japanese texts. The cell texts come from the host list,
// which anyone can edit: they are escaped so that no address can put markup
// into the readers' browsers.
namespace StatusPage
{
QByteArray compose(const QList<Host> &hosts, const QDateTime &when);

// The folder text, the platform's separator and the page name, joined as
// they stand: a folder that ends in a separator gives two in a row.
QString path(const QString &folder, const QString &page);
}
