#include "core/notify/SmtpMessage.h"

#include "core/base/Clock.h"
#include "core/base/InputText.h"
#include "core/base/TextCodec.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>

namespace
{
const QString subjectText = QStringLiteral("サーバー監視報告");

bool isDomainName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?(?:\\.[A-Za-z0-9](?:[A-Za-z0-9-]{0,61}[A-Za-z0-9])?)+$"));
    return name.size() <= 253 && pattern.match(name).hasMatch();
}

QByteArray encodedWord(const QString &text)
{
    return "=?Shift_JIS?B?" + TextCodec::encode(text).toBase64() + "?=";
}

// "Sun, 06 Dec 2026 21:04:05 +0900", whatever the locale.
QString rfc5322Date(const QDateTime &when)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = when.date();
    const int offsetMinutes = when.offsetFromUtc() / 60;
    const int absolute = std::abs(offsetMinutes);
    return QStringLiteral("%1, %2 %3 %4 %5 %6%7%8")
        .arg(QLatin1String(days[date.dayOfWeek() - 1]))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QLatin1String(months[date.month() - 1]))
        .arg(date.year())
        .arg(when.time().toString(QStringLiteral("HH:mm:ss")))
        .arg(offsetMinutes < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(absolute / 60, 2, 10, QLatin1Char('0'))
        .arg(absolute % 60, 2, 10, QLatin1Char('0'));
}
}

QString SmtpMessage::newMessageId(const QString &domain)
{
    return QLatin1Char('<') + QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('@') + domain
        + QLatin1Char('>');
}

QString SmtpMessage::heloArgument(const QString &hostName, const QString &domainName, const QHostAddress &local)
{
    if (isDomainName(hostName))
        return hostName;
    const QString joined = hostName + QLatin1Char('.') + domainName;
    if (!hostName.isEmpty() && !domainName.isEmpty() && isDomainName(joined))
        return joined;
    bool isV4 = false;
    const quint32 v4 = local.toIPv4Address(&isV4);
    if (isV4)
        return QLatin1Char('[') + QHostAddress(v4).toString() + QLatin1Char(']');
    QHostAddress bare(local);
    bare.setScopeId(QString());
    return QStringLiteral("[IPv6:") + bare.toString() + QLatin1Char(']');
}

QByteArray SmtpMessage::build(const MailRoute &route, const QString &downSystem, Kind kind, const QDateTime &now,
                              const QString &messageId, BodyEncoding encoding)
{
    // The host's text goes into one body line; a line end in it must not
    // end the body early.
    const QString host = InputText::oneLine(downSystem);
    const QString when = Clock::dateTimeText(now) + QStringLiteral(" 時点で\r\n「") + host;
    const QByteArray body =
        TextCodec::encode(kind == Kind::Failure ? QStringLiteral("障害が検出されました。\r\n") + when
                                  + QStringLiteral("」の応答がありませんでした。 ")
                                                : when + QStringLiteral("」の応答が回復しました。"));
    // A line may hold 998 octets and its CR LF; a longer one goes in base64.
    const auto fits = [](const QByteArray &line) { return line.size() <= 998 + 1; };   // with its CR
    const bool eightBit = encoding == BodyEncoding::EightBit && std::ranges::all_of((body + "\r\n").split('\n'), fits);

    const QStringList headers{
        QStringLiteral("From: ") + route.sender,
        QStringLiteral("To: ") + route.addressed().join(QStringLiteral(", ")),
        QStringLiteral("Date: ") + rfc5322Date(now),
        QStringLiteral("Message-ID: ") + messageId,
        QStringLiteral("MIME-Version: 1.0"),
        QStringLiteral("Content-Type: text/plain; charset=Shift_JIS"),
        QStringLiteral("Content-Transfer-Encoding: ") + (eightBit ? QStringLiteral("8bit") : QStringLiteral("base64")),
    };
    QList<QByteArray> lines;
    for (const QString &header : headers)
        lines.append(TextCodec::encode(header));
    lines.append("Subject: " + encodedWord(subjectText));
    lines.append(QByteArray());
    if (eightBit) {
        lines.append(body);
    } else {
        // Lines of 76 characters at most; decoded, the same body bytes.
        const QByteArray encoded = (body + "\r\n").toBase64();
        for (qsizetype at = 0; at < encoded.size(); at += 76)
            lines.append(encoded.mid(at, 76));
    }

    // Every body line begins with a text of its own or a base64 character,
    // never with a ".", so none needs doubling before the closing "." line.
    lines.append(".");
    return lines.join("\r\n") + "\r\n";
}
