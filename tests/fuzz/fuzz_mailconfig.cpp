// The mail settings reader takes any bytes a hand-edited "MailConfig.ini" may
// hold. Settings it reads come back unchanged after a save and a new read, as
// long as no value has a double quote (the file has no escape for one; the
// dialog refuses it); a value code page 932 cannot hold may change.
#include "core/base/TextCodec.h"
#include "core/notify/MailConfigFile.h"

#include <cstdlib>

namespace
{
QStringList valuesOf(const MailSettings &settings)
{
    return QStringList{settings.server, settings.sender} + QStringList(settings.recipients.cbegin(), settings.recipients.cend());
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::optional<MailSettings> parsed = MailConfigFile::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!parsed || valuesOf(*parsed).join(QString()).contains(QLatin1Char('"')))
        return 0;
    const std::optional<MailSettings> again = MailConfigFile::parse(MailConfigFile::serialize(*parsed));
    if (!again)
        std::abort();
    for (qsizetype i = 0; i < 7; ++i) {
        const QString value = valuesOf(*parsed).at(i);
        if (TextCodec::canEncode(value) && valuesOf(*again).at(i) != value)
            std::abort();
    }
    return 0;
}
