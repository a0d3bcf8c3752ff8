#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// One complete reply of an SMTP server. A multi-line reply ("250-a", "250-b",
// "250 c") is complete at its line without the dash. A reply with a line that
// does not begin with three digits, or with too many lines, is still read to
// its final line, so that the next reply answers the next command; its code
// is 0, which no step accepts.
struct SmtpReply
{
    int code = 0;
    QList<QByteArray> lines;   // without their line ends

    // The line that closed the reply: what a failure log line quotes.
    QByteArray lastLine() const { return lines.isEmpty() ? QByteArray() : lines.last(); }
};

// Collects the bytes of a connection and cuts them into complete replies.
// Lines end with CR LF; a bare LF is taken as well.
class SmtpReplyReader
{
public:
    // Longest line kept; a longer one is cut and marked, makes its reply
    // malformed, and the rest of it up to its line end is dropped.
    static constexpr qsizetype maxLineLength = 4096;
    // Most lines kept of one reply; a longer reply is malformed.
    static constexpr qsizetype maxLines = 256;

    void feed(const QByteArray &bytes);
    // The next complete reply, or nothing while it is still arriving.
    std::optional<SmtpReply> take();
    // Bytes held back for a line still arriving: at most one line.
    qsizetype pendingSize() const { return m_pending.size(); }

private:
    std::optional<QByteArray> takeLine();

    QByteArray m_pending;
    SmtpReply m_partial;
    bool m_malformed = false;   // of the reply being read
    bool m_skippingRest = false;   // inside the rest of a line that was cut
};
