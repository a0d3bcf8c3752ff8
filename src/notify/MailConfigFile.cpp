#include "notify/MailConfigFile.h"

#include "platform/QuotedFields.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

std::optional<MailSettings> MailConfigFile::parse(const QByteArray &bytes)
{
    const QStringList fields = QuotedFields::parse(TextCodec::decodeFile(bytes));
    if (fields.size() < 7)
        return std::nullopt;
    return MailSettings{fields.at(0), fields.at(1), fields.at(2), fields.at(3),
                        fields.at(4), fields.at(5), fields.at(6)};
}

QByteArray MailConfigFile::serialize(const MailSettings &settings)
{
    const QStringList fields{settings.SMTPServer, settings.SenderAddress, settings.Recipient1,
                             settings.Recipient2, settings.Recipient3, settings.Recipient4,
                             settings.Recipient5};
    return TextCodec::encode(QLatin1Char('"') + fields.join(QStringLiteral("\",\""))
                             + QStringLiteral("\"\r\n"));
}

QString MailConfigFile::path(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("MailConfig.ini"));
}

std::optional<MailSettings> MailConfigFile::load(const QString &folder)
{
    QFile file(path(folder));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return parse(file.readAll());
}

bool MailConfigFile::save(const QString &folder, const MailSettings &settings)
{
    QSaveFile file(path(folder));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() does not always see a write that broke off (disk full): it
    // would then replace the settings with the part written.
    const QByteArray bytes = serialize(settings);
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
