// The host list reader takes any bytes a hand-edited "Sentrova.ini" may hold.
// Whatever it reads must write back as a complete list of the same length.
#include "monitor/HostListFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const HostListFile::Parsed parsed = HostListFile::parse(bytes);
    const HostListFile::Parsed again = HostListFile::parse(HostListFile::serialize(parsed.records));
    if (!again.complete || again.records.size() != parsed.records.size())
        std::abort();
    return 0;
}
