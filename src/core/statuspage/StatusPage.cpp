#include "core/statuspage/StatusPage.h"

#include "core/base/Clock.h"
#include "core/base/TextCodec.h"

#include <QDir>

namespace
{
QString escaped(const QString &cellText)
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
}

QByteArray StatusPage::compose(const QList<Host> &hosts, const QDateTime &when)
{
    // The page is built as one text and encoded in one go: a full host list
    // makes it some 1.7 MB, written between two passes.
    const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    text.reserve(512 + hosts.size() * 64);
    text += QStringLiteral("<html>") + lineEnd;
    text += QStringLiteral("<head><meta charset=\"Shift_JIS\"><title>サーバー監視報告</title></head>") + lineEnd;
    text += QStringLiteral("<body>") + lineEnd;
    text += QStringLiteral("<table border=1>") + lineEnd;
    text += QStringLiteral("<tr><td colspan=3>") + Clock::dateText(when) + QChar(0x3000) + Clock::timeText(when)
        + QStringLiteral("</td></tr>") + lineEnd;
    text += QStringLiteral("<tr><td>IPアドレス</td><td>ポート</td><td>ステータス</td></tr>") + lineEnd;
    for (const Host &host : hosts) {
        text += QLatin1String("<tr><td>");
        text += escaped(host.address);
        text += QLatin1String("</td><td>");
        text += escaped(host.port);
        text += QLatin1String("</td><td>");
        text += escaped(host.status);
        text += QLatin1String("</td></tr>");
        text += lineEnd;
    }
    text += QStringLiteral("</table>") + lineEnd;
    text += QStringLiteral("</body>") + lineEnd;
    text += QStringLiteral("</html>") + lineEnd;
    return TextCodec::encode(text);
}

QString StatusPage::path(const QString &folder, const QString &page)
{
    return folder + QDir::separator() + page;
}
