#include "statuspage/StatusPage.h"

#include "platform/Clock.h"
#include "platform/TextCodec.h"

#include <QDir>

QString StatusPage::escaped(const QString &cellText)
{
    // Exactly &, <, > and " are replaced; a character that code page 932
    // cannot hold becomes a numeric reference, so the browser still shows it.
    const QString html = cellText.toHtmlEscaped();
    if (TextCodec::canEncode(html))
        return html;
    QString out;
    for (const char32_t codePoint : html.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        out += TextCodec::canEncode(character) ? character : QStringLiteral("&#%1;").arg(quint32(codePoint));
    }
    return out;
}

QByteArray StatusPage::compose(const QList<HostRow> &hosts, const QDateTime &when)
{
    QStringList lines = {
        QStringLiteral("<html>"),
        QStringLiteral("<head><meta charset=\"Shift_JIS\"><title>サーバー監視報告</title></head>"),
        QStringLiteral("<body>"),
        QStringLiteral("<table border=1>"),
        QStringLiteral("<tr><td colspan=3>") + Clock::dateText(when) + QChar(0x3000) + Clock::timeText(when)
            + QStringLiteral("</td></tr>"),
        QStringLiteral("<tr><td>IPアドレス</td><td>ポート</td><td>ステータス</td></tr>"),
    };
    for (const HostRow &host : hosts) {
        lines.append(QStringLiteral("<tr><td>") + escaped(host.address) + QStringLiteral("</td><td>")
                     + escaped(host.port) + QStringLiteral("</td><td>") + escaped(host.status)
                     + QStringLiteral("</td></tr>"));
    }
    lines.append(QStringLiteral("</table>"));
    lines.append(QStringLiteral("</body>"));
    lines.append(QStringLiteral("</html>"));

    QByteArray bytes;
    for (const QString &line : std::as_const(lines))
        bytes += TextCodec::encode(line) + "\r\n";
    return bytes;
}

QString StatusPage::path(const QString &folder, const QString &page)
{
    return folder + QDir::separator() + page;
}
