// The SMTP reply reader takes whatever a server sends, cut into reads of any
// size. The input is a header byte k, k two-byte read sizes (taken modulo
// what is left), then the stream.
// Replies must stay within the line and line-count bounds, the held-back bytes
// within one line, and the replies must not depend on where the reads end.
#include "core/notify/SmtpReply.h"

#include <cstdlib>

namespace
{
struct Taken
{
    QList<int> codes;
    QList<QList<QByteArray>> lines;
    bool operator==(const Taken &) const = default;
};

void check(bool holds)
{
    if (!holds)
        std::abort();
}

void drain(SmtpReplyReader &reader, Taken &taken)
{
    while (std::optional<SmtpReply> reply = reader.take()) {
        check(!reply->lines.isEmpty() && reply->lines.size() <= SmtpReplyReader::maxLines);
        for (const QByteArray &line : reply->lines)
            check(line.size() <= SmtpReplyReader::maxLineLength + 1 && !line.contains('\n'));
        // A code is only given to a reply closed by a line that carries it.
        check(reply->code == 0 || reply->lastLine().left(3).toInt() == reply->code);
        taken.codes.append(reply->code);
        taken.lines.append(reply->lines);
    }
    check(reader.pendingSize() <= SmtpReplyReader::maxLineLength + 1);
}

Taken readInReads(const QByteArray &stream, const QList<qsizetype> &sizes)
{
    SmtpReplyReader reader;
    Taken taken;
    qsizetype at = 0;
    for (const qsizetype size : sizes) {
        const qsizetype n = size % (stream.size() - at + 1);
        reader.feed(stream.mid(at, n));
        drain(reader, taken);
        at += n;
    }
    reader.feed(stream.mid(at));
    drain(reader, taken);
    return taken;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t reads = data[0] % 16;
    if (size < 1 + 2 * reads)
        return 0;
    QList<qsizetype> sizes;
    for (size_t i = 0; i < reads; ++i)
        sizes.append(data[1 + 2 * i] | (data[2 + 2 * i] << 8));
    const size_t header = 1 + 2 * reads;
    const QByteArray stream(reinterpret_cast<const char *>(data + header), static_cast<qsizetype>(size - header));

    const Taken whole = readInReads(stream, {});
    check(readInReads(stream, sizes) == whole);
    if (stream.size() <= 1024)
        check(readInReads(stream, QList<qsizetype>(stream.size(), 1)) == whole);
    return 0;
}
