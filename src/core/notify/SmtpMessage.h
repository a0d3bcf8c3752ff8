#pragma once

#include "core/notify/MailRoute.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

class QHostAddress;

// The pieces of a failure report that depend on nothing but their inputs.
namespace SmtpMessage
{
// 8-bit body bytes only go to a server that offered 8BITMIME, and only in
// lines of at most 998 octets; otherwise the same bytes go in base64.
enum class BodyEncoding { EightBit, Base64 };

// A host found down, or with reports on change only, a host that came back.
enum class Kind { Failure, Recovery };

// The text of the DATA step, ready to send: headers, the Japanese subject as
// an RFC 2047 encoded word, the three body lines in code page 932, ending
// with CR LF "." CR LF. The addresses are plain ASCII, checked before.
QByteArray build(const MailRoute &route, const QString &downSystem, Kind kind, const QDateTime &now,
                 const QString &messageId, BodyEncoding encoding);

// "<unique@domain>".
QString newMessageId(const QString &domain);

// The argument of HELO: the machine's fully qualified name when it has one,
// else the address literal of the connection's local end ("[192.0.2.7]",
// "[IPv6:2001:db8::7]").
QString heloArgument(const QString &hostName, const QString &domainName, const QHostAddress &local);
}
