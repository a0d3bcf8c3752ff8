#include "core/base/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
constexpr int handledSignals[] = {SIGTERM, SIGHUP};
// The handler may read only this type; -1 while no instance watches.
volatile sig_atomic_t writeEnd = -1;

void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 0;
    // A full pipe already holds an unread request, so a lost byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}
}

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{
    if (writeEnd >= 0) {
        qWarning("Sentrova: termination signals are already watched by another instance");
        return;
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        qErrnoWarning("Sentrova: no pipe for termination signals");
        return;
    }
    m_readEnd = ends[0];
    writeEnd = ends[1];
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);
    for (int number : handledSignals) {
        struct sigaction action = {};
        if (::sigaction(number, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            continue;
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(number, &action, nullptr);
    }
}

TerminationSignals::~TerminationSignals()
{
    if (m_readEnd < 0)
        return;
    for (int number : handledSignals) {
        struct sigaction action = {};
        if (::sigaction(number, nullptr, &action) == 0 && action.sa_handler == onSignal)
            std::signal(number, SIG_DFL);
    }
    delete m_notifier;
    ::close(writeEnd);
    ::close(m_readEnd);
    writeEnd = -1;
}

void TerminationSignals::drain()
{
    char bytes[16];
    while (::read(m_readEnd, bytes, sizeof bytes) > 0) {
    }
    Q_EMIT received();
}
