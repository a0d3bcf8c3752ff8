#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class HostGrid;

struct HostRecord
{
    QString address;
    QString port;
    bool operator==(const HostRecord &) const = default;
};

// "Sentrova.ini": one line per host, "address","port" CR LF, code page 932.
namespace HostListFile
{
// Host rows are numbered in signed 16 bits: a load stops before host row
// 32,768 and a grid of 32,767 or more host rows is not saved.
constexpr int maxLoadedHostRow = 32767;
constexpr int maxSavedHostRows = 32766;

struct Parsed
{
    QList<HostRecord> records;
    bool complete = true;   // false: the text ended inside a record
};

Parsed parse(const QByteArray &bytes);
// The file has no escape for a double quote; such characters are dropped.
QByteArray serialize(const QList<HostRecord> &records);

QString path(const QString &folder);

// Fills a grid as created (header and blank row 1). Rows read before a
// failure stay. Returns false for a missing or unreadable file, a file that
// ends inside a record, or a record beyond the row limit.
bool load(const QString &folder, HostGrid &grid);
// Writes rows 1 to N and replaces the old file in one step; on failure the
// old file is left as it was.
bool save(const QString &folder, HostGrid &grid);
}
