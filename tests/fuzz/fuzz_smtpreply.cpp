// The SMTP reply reader takes whatever a server sends, cut into reads of any size (the input's first byte says where they end). Replies stay within
// the line and line-count bounds, at most one line is held back, and the cuts change nothing.
#include "core/notify/SmtpReply.h"

#include <algorithm>
#include <cstdlib>

static QList<QList<QByteArray>> readInReads(const QByteArray &stream, qsizetype readSize)
{
    SmtpReplyReader reader;
    QList<QList<QByteArray>> replies;
    for (qsizetype at = 0; at < stream.size() || at == 0; at += readSize) {
        reader.feed(stream.mid(at, readSize));
        while (std::optional<SmtpReply> reply = reader.take()) {
            if (reply->lines.isEmpty() || reply->lines.size() > SmtpReplyReader::maxLines
                || (reply->code != 0 && reply->lastLine().left(3).toInt() != reply->code)
                || std::ranges::any_of(reply->lines, [](const auto &line) { return line.size() > SmtpReplyReader::maxLineLength + 1 || line.contains('\n'); }))
                std::abort();
            replies.append(reply->lines);
        }
        if (reader.pendingSize() > SmtpReplyReader::maxLineLength + 1)
            std::abort();
    }
    return replies;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray stream(reinterpret_cast<const char *>(data + (size > 0)), qsizetype(size) - (size > 0));
    if (size > 0 && readInReads(stream, stream.size() + 1) != readInReads(stream, data[0] % 64 + 1))
        std::abort();
    return 0;
}
