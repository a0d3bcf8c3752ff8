#include "core/log/EventLog.h"

#include "core/base/Clock.h"
#include "core/base/InputText.h"
#include "core/base/TextCodec.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

EventLog::EventLog(const QString &folder)
    : m_path(QDir(folder).filePath(QStringLiteral("Sentrova.Log")))
{
}

namespace
{
// Appends the line and closes the file; the reason when that fails. Through
// the system's own calls: QFile's checks around them cost more than
// the line, and a pass over many down hosts logs a line for each.
QString append(const QString &path, const QByteArray &line)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    bool written = fd >= 0 && ::write(fd, line.constData(), size_t(line.size())) == line.size();
    int error = errno;
    if (fd >= 0 && ::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    return written ? QString() : QString::fromLocal8Bit(std::strerror(error));
}
}

void EventLog::write(const QString &message) const
{
    const QDateTime now = Clock::now();
    const QString text = Clock::dateText(now) + QLatin1Char(' ') + Clock::timeText(now) + QStringLiteral("   ")
        + InputText::oneLine(message);
    const QString failure = append(m_path, TextCodec::encode(text) + "\r\n");
    if (failure.isEmpty())
        return;
    // The line is lost to the file; keep it where an operator or a service
    // manager can still see it. The terminal speaks UTF-8, not code page 932.
    std::fprintf(stderr, "Sentrova: ログファイルに書き込めません (%s: %s): %s\n", m_path.toLocal8Bit().constData(),
                 failure.toLocal8Bit().constData(), text.toLocal8Bit().constData());
    std::fflush(stderr);
}

QStringList EventLog::lastLines(int count) const
{
    constexpr qint64 tailBytes = 4 * 1024 * 1024;   // 5,000 lines of 800 bytes
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const qint64 start = std::max<qint64>(0, file.size() - tailBytes);
    file.seek(start);
    QByteArray bytes = file.readAll();
    if (start > 0)   // the first line is cut
        bytes.remove(0, bytes.indexOf('\n') + 1);
    QStringList lines = TextCodec::decode(bytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    return lines.mid(std::max<qsizetype>(0, lines.size() - count));
}
