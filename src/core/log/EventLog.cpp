#include "core/log/EventLog.h"

#include "core/base/Clock.h"
#include "core/base/TextCodec.h"

#include <QDir>
#include <QFile>

#include <cstdio>

EventLog::EventLog(const QString &folder)
    : m_path(QDir(folder).filePath(QStringLiteral("Sentrova.Log")))
{
}

namespace
{
// A host text or a server reply may hold line ends and other control
// characters; in the log they would start lines of their own.
QString oneLine(QString message)
{
    for (QChar &c : message) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return message;
}
}

void EventLog::write(const QString &message) const
{
    const QDateTime now = Clock::now();
    const QString text =
        Clock::dateText(now) + QLatin1Char(' ') + Clock::timeText(now) + QStringLiteral("   ") + oneLine(message);
    const QByteArray line = TextCodec::encode(text) + "\r\n";
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(line) == line.size() && file.flush())
        return;
    // The line is lost to the file; keep it where an operator or a service
    // manager can still see it. The terminal speaks UTF-8, not code page 932.
    std::fprintf(stderr, "Sentrova: ログファイルに書き込めません (%s: %s): %s\n", m_path.toLocal8Bit().constData(),
                 file.errorString().toLocal8Bit().constData(), text.toLocal8Bit().constData());
    std::fflush(stderr);
}
