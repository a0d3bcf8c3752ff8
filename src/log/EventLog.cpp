#include "log/EventLog.h"

#include "platform/Clock.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>

#include <cstdio>

EventLog::EventLog(const QString &folder)
    : m_folder(folder)
{
}

QString EventLog::filePath() const
{
    return QDir(m_folder).filePath(QStringLiteral("Sentrova.Log"));
}

QByteArray EventLog::formatLine(const QString &whatHappened)
{
    const QDateTime now = Clock::now();
    const QString line = Clock::dateText(now) + QLatin1Char(' ') + Clock::timeText(now)
        + QStringLiteral("   ") + whatHappened;
    return TextCodec::encode(line) + "\r\n";
}

void EventLog::LogEvent(const QString &whatHappened) const
{
    const QByteArray line = formatLine(whatHappened);
    QFile file(filePath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(line) == line.size()
        && file.flush()) {
        return;
    }
    // The entry is lost to the file; keep it visible where an operator or a
    // service manager can still see it.
    // The terminal speaks UTF-8, not code page 932.
    const QString text = TextCodec::decode(line.chopped(2));
    std::fprintf(stderr, "Sentrova: ログファイルに書き込めません (%s: %s): %s\n",
                 filePath().toLocal8Bit().constData(), file.errorString().toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
    std::fflush(stderr);
}
