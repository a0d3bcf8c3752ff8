#include "core/log/EventLog.h"

#include "core/base/Clock.h"
#include "core/base/TextCodec.h"

#include <QDir>
#include <QFile>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#endif

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

// Appends the line and closes the file; the reason when that fails. On Unix
// through the system's own calls: QFile's checks around them cost more than
// the line, and a pass over many down hosts logs a line for each.
QString append(const QString &path, const QByteArray &line)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    bool written = fd >= 0 && ::write(fd, line.constData(), size_t(line.size())) == line.size();
    int error = errno;
    if (fd >= 0 && ::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    return written ? QString() : QString::fromLocal8Bit(std::strerror(error));
#else
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(line) == line.size() && file.flush())
        return QString();
    return file.errorString();
#endif
}
}

void EventLog::write(const QString &message) const
{
    const QDateTime now = Clock::now();
    const QString text =
        Clock::dateText(now) + QLatin1Char(' ') + Clock::timeText(now) + QStringLiteral("   ") + oneLine(message);
    const QString failure = append(m_path, TextCodec::encode(text) + "\r\n");
    if (failure.isEmpty())
        return;
    // The line is lost to the file; keep it where an operator or a service
    // manager can still see it. The terminal speaks UTF-8, not code page 932.
    std::fprintf(stderr, "Sentrova: ログファイルに書き込めません (%s: %s): %s\n", m_path.toLocal8Bit().constData(),
                 failure.toLocal8Bit().constData(), text.toLocal8Bit().constData());
    std::fflush(stderr);
}
