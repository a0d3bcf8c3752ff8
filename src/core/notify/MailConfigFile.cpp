#include "core/notify/MailConfigFile.h"

#include "core/base/QuotedFields.h"
#include "core/base/TextCodec.h"

#include <QDir>
#include <QFile>

namespace
{
QString pathIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("MailConfig.ini"));
}
}

std::optional<MailRoute> MailConfigFile::parse(const QByteArray &bytes)
{
    const QStringList fields = QuotedFields::parse(TextCodec::decodeFile(bytes), QuotedFields::BlankLine::EmptyField);
    if (fields.size() < 7)
        return std::nullopt;
    return MailRoute{fields.at(0), fields.at(1), {fields.at(2), fields.at(3), fields.at(4), fields.at(5), fields.at(6)}}
        .bare();
}

QByteArray MailConfigFile::serialize(const MailRoute &route)
{
    return TextCodec::encode(QLatin1Char('"') + route.values().join(QStringLiteral("\",\""))
                             + QStringLiteral("\"\r\n"));
}

std::optional<MailRoute> MailConfigFile::load(const QString &folder)
{
    QFile file(pathIn(folder));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

std::optional<SafeSave::Failure> MailConfigFile::save(const QString &folder, const MailRoute &route)
{
    return SafeSave::write(pathIn(folder), serialize(route));
}
