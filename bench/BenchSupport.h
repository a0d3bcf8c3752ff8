#pragma once

// Shared by the benchmarks: loopback listeners, and a process that needs no
// display and never touches the user's own settings.

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace BenchSupport
{
// A socket listening on 127.0.0.1 at a port the system chose.
inline int listenOnLoopback(int backlog, quint16 &port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(fd, backlog);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &length);
    port = ntohs(addr.sin_port);
    return fd;
}

// Before the QApplication: offscreen where there is no display.
inline void useOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// After the QApplication: the program's names, settings in a temporary folder.
class TemporarySettings
{
public:
    TemporarySettings()
    {
        QApplication::setOrganizationName(QStringLiteral("Sentrova"));
        QApplication::setApplicationName(QStringLiteral("Sentrova"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }

private:
    QTemporaryDir m_dir;
};
}
