#include "monitor/HostListFile.h"

#include "platform/HostGrid.h"
#include "platform/QuotedFields.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace
{
QString withoutQuotes(QString text)
{
    return text.remove(QLatin1Char('"'));
}

QString cellText(HostGrid &grid, int row, int column)
{
    grid.setRow(row);
    grid.setColumn(column);
    return grid.text();
}
}

HostListFile::Parsed HostListFile::parse(const QByteArray &bytes)
{
    const QStringList fields = QuotedFields::parse(TextCodec::decodeFile(bytes));
    Parsed parsed;
    parsed.records.reserve(fields.size() / 2);
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        parsed.records.append({fields.at(i), fields.at(i + 1)});
    parsed.complete = fields.size() % 2 == 0;
    return parsed;
}

QByteArray HostListFile::serialize(const QList<HostRecord> &records)
{
    QString text;
    for (const HostRecord &record : records) {
        text += QLatin1Char('"') + withoutQuotes(record.address) + QStringLiteral("\",\"")
            + withoutQuotes(record.port) + QStringLiteral("\"\r\n");
    }
    return TextCodec::encode(text);
}

QString HostListFile::path(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("Sentrova.ini"));
}

bool HostListFile::load(const QString &folder, HostGrid &grid)
{
    QFile file(path(folder));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const Parsed parsed = parse(file.readAll());
    file.close();

    for (const HostRecord &record : parsed.records) {
        // Row 1 is free while its port is empty; a later record fills it again.
        const bool rowOneFree = cellText(grid, 1, 1).isEmpty();
        if (rowOneFree) {
            grid.setRow(1);
            grid.setColumn(0);
            grid.setText(record.address);
        } else {
            if (grid.rowCount() > maxLoadedHostRow)
                return false;
            grid.addRow(record.address);
            grid.setRow(grid.rowCount() - 1);
        }
        grid.setColumn(1);
        grid.setText(record.port);
    }
    return parsed.complete;
}

bool HostListFile::save(const QString &folder, HostGrid &grid)
{
    const int hostRows = grid.rowCount() - 1;
    if (hostRows > maxSavedHostRows)
        return false;
    QList<HostRecord> records;
    records.reserve(hostRows);
    for (int row = 1; row <= hostRows; ++row)
        records.append({cellText(grid, row, 0), cellText(grid, row, 1)});

    const QByteArray bytes = serialize(records);
    QSaveFile file(path(folder));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // A short write (disk full, file size limit) must not replace the list.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
