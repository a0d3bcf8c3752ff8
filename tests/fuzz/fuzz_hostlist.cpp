// The host list reader takes any bytes a hand-edited "Sentrova.ini" may hold.
// Whatever it reads must write back as a complete list of the same length.
#include "core/hosts/HostListFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const HostListFile::Parsed parsed = HostListFile::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const HostListFile::Parsed again = HostListFile::parse(HostListFile::serialize(parsed.hosts));
    if (!again.complete || again.hosts.size() != parsed.hosts.size())
        std::abort();
    return 0;
}
