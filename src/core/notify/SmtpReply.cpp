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
        const bool final = wellFormed && (line->size() == 3 || line->at(3) == ' ');
        // A reply too long to keep keeps its first lines and its final one.
        if (m_partial.lines.size() < maxLines) {
            m_partial.lines.append(*line);
        } else {
            m_partial.lines.last() = *line;
            m_malformed = true;
        }
        m_malformed = m_malformed || !wellFormed;
        if (!final)
            continue;
        m_partial.code = std::exchange(m_malformed, false) ? 0 : line->left(3).toInt();
        return std::exchange(m_partial, {});
    }
    return std::nullopt;
}
