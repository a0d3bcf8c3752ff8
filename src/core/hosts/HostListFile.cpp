#include "core/hosts/HostListFile.h"

#include "core/base/QuotedFields.h"
#include "core/base/TextCodec.h"

#include <QDir>
#include <QFile>

namespace
{
QString pathIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("Sentrova.ini"));
}

QString withoutQuotes(QString text)
{
    return text.remove(QLatin1Char('"'));
}
}

HostListFile::Parsed HostListFile::parse(const QByteArray &bytes)
{
    const QStringList fields = QuotedFields::parse(TextCodec::decodeFile(bytes));
    Parsed parsed;
    parsed.hosts.reserve(fields.size() / 2);
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2)
        parsed.hosts.append({fields.at(i), fields.at(i + 1), {}});
    parsed.complete = fields.size() % 2 == 0;
    return parsed;
}

QByteArray HostListFile::serialize(const QList<Host> &hosts)
{
    QString text;
    for (const Host &host : hosts) {
        text += QLatin1Char('"') + withoutQuotes(host.address) + QStringLiteral("\",\"") + withoutQuotes(host.port)
            + QStringLiteral("\"\r\n");
    }
    return TextCodec::encode(text);
}

bool HostListFile::load(const QString &folder, HostTableModel &hosts)
{
    QFile file(pathIn(folder));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const Parsed parsed = parse(file.readAll());
    file.close();
    return hosts.addAll(parsed.hosts) && parsed.complete;
}

std::optional<SafeSave::Failure> HostListFile::save(const QString &folder, const HostTableModel &hosts)
{
    if (hosts.rowCount() > HostTableModel::maxWrittenRows)
        return SafeSave::Failure{pathIn(folder), HostTableModel::tooManyRowsText()};
    return SafeSave::write(pathIn(folder), serialize(hosts.hosts()));
}
