// The readers of the two settings files take any bytes a hand-edited file may hold. A host list read writes back as a complete list of the same
// length; mail settings read come back unchanged after a save and a new read, as long as no value has a double quote (the file has no escape for one)
// and each survives code page 932.
#include "core/base/TextCodec.h"
#include "core/hosts/HostListFile.h"
#include "core/notify/MailConfigFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const HostListFile::Parsed hosts = HostListFile::parse(bytes);
    const HostListFile::Parsed hostsAgain = HostListFile::parse(HostListFile::serialize(hosts.hosts));
    if (!hostsAgain.complete || hostsAgain.hosts.size() != hosts.hosts.size())
        std::abort();
    const std::optional<MailRoute> mail = MailConfigFile::parse(bytes);
    if (!mail || mail->values().join(QString()).contains(QLatin1Char('"')))
        return 0;
    const std::optional<MailRoute> mailAgain = MailConfigFile::parse(MailConfigFile::serialize(*mail));
    for (qsizetype i = 0; i < 7; ++i)
        if (!mailAgain || (TextCodec::canEncode(mail->values().at(i)) && mailAgain->values().at(i) != mail->values().at(i)))
            std::abort();
    return 0;
}
