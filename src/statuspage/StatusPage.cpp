#include "statuspage/StatusPage.h"

#include "platform/Clock.h"
#include "platform/TextCodec.h"

#include <QDir>

QString StatusPage::escaped(const QString &cellText)
{
    // Exactly &, <, > and " are replaced.
    return cellText.toHtmlEscaped();
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
