#include "core/notify/SmtpReply.h"

namespace
{
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
}

void SmtpReplyReader::feed(const QByteArray &bytes)
{
    m_pending.append(bytes);
}

std::optional<QByteArray> SmtpReplyReader::takeLine()
{
    qsizetype end = m_pending.indexOf('\n');
    if (m_skippingRest) {
        if (end < 0) {
            m_pending.clear();
            return std::nullopt;
        }
        m_pending.remove(0, end + 1);
        m_skippingRest = false;
        end = m_pending.indexOf('\n');
    }
    if (end < 0) {
        // The longest line may be here with its CR, waiting for its LF: only
        // more than that is surely overlong.
        if (m_pending.size() <= maxLineLength + 1)
            return std::nullopt;
        // An overlong line can never be a valid one: make it malformed. Its
        // rest is dropped as it arrives, so that no part of it is read as a
        // reply of its own, however the bytes are split into reads.
        QByteArray cut = '?' + m_pending.left(maxLineLength);
        m_pending.clear();
        m_skippingRest = true;
        return cut;
    }
    QByteArray line = m_pending.left(end);
    m_pending.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    if (line.size() > maxLineLength)
        line = '?' + line.left(maxLineLength);
    return line;
}

std::optional<SmtpReply> SmtpReplyReader::take()
{
    while (std::optional<QByteArray> line = takeLine()) {
        const bool wellFormed = line->size() >= 3 && isDigit(line->at(0)) && isDigit(line->at(1))
            && isDigit(line->at(2)) && (line->size() == 3 || line->at(3) == ' ' || line->at(3) == '-');
        m_partial.lines.append(*line);
        if (!wellFormed) {
            m_partial.code = 0;
            return std::exchange(m_partial, {});
        }
        const bool continues = line->size() > 3 && line->at(3) == '-';
        if (continues && m_partial.lines.size() < maxLines)
            continue;
        m_partial.code = continues ? 0 : line->left(3).toInt();
        return std::exchange(m_partial, {});
    }
    return std::nullopt;
}
