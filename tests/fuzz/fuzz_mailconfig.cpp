// The mail settings reader takes any bytes a hand-edited "MailConfig.ini" may
// hold. Settings it reads must come back unchanged after a save and a new
// read, value for value, as long as the value has no double quote (the file
// has no escape for one; the dialog refuses it) and survives code page 932.
#include "notify/MailConfigFile.h"
#include "platform/TextCodec.h"

#include <cstdint>
#include <cstdlib>

namespace
{
QStringList valuesOf(const MailSettings &s)
{
    return {s.SMTPServer, s.SenderAddress, s.Recipient1, s.Recipient2, s.Recipient3, s.Recipient4, s.Recipient5};
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const std::optional<MailSettings> parsed = MailConfigFile::parse(bytes);
    if (!parsed)
        return 0;
    const QStringList values = valuesOf(*parsed);
    for (const QString &value : values) {
        if (value.contains(QLatin1Char('"')))
            return 0;
    }
    const std::optional<MailSettings> again = MailConfigFile::parse(MailConfigFile::serialize(*parsed));
    if (!again)
        std::abort();
    const QStringList read = valuesOf(*again);
    for (qsizetype i = 0; i < values.size(); ++i) {
        const bool survivesCodePage = TextCodec::decode(TextCodec::encode(values.at(i))) == values.at(i);
        if (survivesCodePage && read.at(i) != values.at(i))
            std::abort();
    }
    return 0;
}
