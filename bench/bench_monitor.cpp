// Measures the monitoring pass against a plain blocking connect() loop over
// the same loopback hosts, and the CPU the program uses while monitoring
// idles through its waits.
//
//   bench_monitor [--hosts N] [--rounds R] [--idle-seconds S] [--interval S] [--hidden]
//
// Without a display it runs on the offscreen platform.

#include "BenchSupport.h"
#include "core/Program.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkProxy>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{
constexpr int listenerCount = 8;

// A plain listening socket that nobody serves while a measurement runs, so
// that neither contestant pays for the other side of its connections; its
// queue is emptied between measurements.
class RawListener
{
public:
    RawListener()
    {
        m_fd = BenchSupport::listenOnLoopback(4096, m_port);
        ::fcntl(m_fd, F_SETFL, O_NONBLOCK);
    }
    ~RawListener() { ::close(m_fd); }
    RawListener(const RawListener &) = delete;
    RawListener &operator=(const RawListener &) = delete;
    quint16 port() const { return m_port; }
    void drain() const
    {
        for (int fd; (fd = ::accept(m_fd, nullptr, nullptr)) >= 0;)
            ::close(fd);
    }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

quint16 closedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void drainEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double blockingLoopSeconds(const std::vector<quint16> &ports, int *accepted)
{
    QElapsedTimer clock;
    clock.start();
    int ok = 0;
    for (quint16 port : ports) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
            ++ok;
        ::close(fd);
    }
    *accepted = ok;
    return clock.nsecsElapsed() / 1e9;
}

// The floor that QTcpSocket itself sets: the same attempts one after the
// other, driven by its signals, with nothing else done.
double bareSocketSeconds(const std::vector<quint16> &ports)
{
    QTcpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    QEventLoop loop;
    size_t i = 0;
    const auto next = [&] {
        socket.abort();
        if (++i >= ports.size()) {
            loop.quit();
            return;
        }
        socket.connectToHost(QStringLiteral("127.0.0.1"), ports[i]);
    };
    QObject::connect(&socket, &QTcpSocket::connected, &loop, next, Qt::QueuedConnection);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop, next, Qt::QueuedConnection);
    QElapsedTimer clock;
    clock.start();
    socket.connectToHost(QStringLiteral("127.0.0.1"), ports[0]);
    loop.exec();
    return clock.nsecsElapsed() / 1e9;
}

double passSeconds(const QString &folder, const std::vector<quint16> &ports, int *running, double *cpu)
{
    HostTableModel hosts;
    for (quint16 port : ports)
        hosts.add(QStringLiteral("127.0.0.1"), QString::number(port));
    QLabel hostPanel, progressPanel;
    const EventLog log(folder);
    MailNotification mail(folder, log);
    MonitorPass pass(hosts, log, mail);
    QObject::connect(&pass, &MonitorPass::hostTextChanged, &hostPanel, &QLabel::setText);
    QObject::connect(&pass, &MonitorPass::progressTextChanged, &progressPanel, &QLabel::setText);

    QEventLoop loop;
    QObject::connect(&pass, &MonitorPass::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    pass.start();
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    *cpu = cpuSeconds() - cpuBefore;

    *running = int(std::count_if(hosts.hosts().cbegin(), hosts.hosts().cend(),
                                 [](const Host &host) { return host.status == QStringLiteral("サーバー稼動中"); }));
    return seconds;
}

void comparePass(int hosts, int rounds)
{
    std::vector<std::unique_ptr<RawListener>> listeners;
    std::vector<quint16> listening, closed;
    const auto drain = [&] {
        for (const auto &l : listeners)
            l->drain();
    };
    for (int i = 0; i < listenerCount; ++i) {
        listeners.push_back(std::make_unique<RawListener>());
        listening.push_back(listeners.back()->port());
        closed.push_back(closedPort());
    }
    std::vector<quint16> ports;
    for (int i = 0; i < hosts; ++i)
        ports.push_back(i % 2 == 0 ? listening[(i / 2) % listenerCount] : closed[(i / 2) % listenerCount]);

    QTemporaryDir logFolder;
    std::vector<double> passTimes, loopTimes, bareTimes;
    for (int round = 0; round < rounds; ++round) {
        int up = 0, accepted = 0;
        double cpu = 0;
        const double p = passSeconds(logFolder.path(), ports, &up, &cpu);
        drain();
        const double b = blockingLoopSeconds(ports, &accepted);
        drain();
        const double q = bareSocketSeconds(ports);
        drain();
        bareTimes.push_back(q);
        QFile::remove(logFolder.path() + QStringLiteral("/Sentrova.Log"));
        std::printf("round %d: pass %.3f s (CPU %.3f s, %d running), blocking loop %.3f s (%d accepted), "
                    "bare QTcpSocket %.3f s, ratio %.2f\n",
                    round + 1, p, cpu, up, b, accepted, q, p / b);
        passTimes.push_back(p);
        loopTimes.push_back(b);
    }
    std::sort(passTimes.begin(), passTimes.end());
    std::sort(loopTimes.begin(), loopTimes.end());
    std::sort(bareTimes.begin(), bareTimes.end());
    const double q = bareTimes[bareTimes.size() / 2];
    const double p = passTimes[passTimes.size() / 2];
    const double b = loopTimes[loopTimes.size() / 2];
    std::printf("pass over %d loopback hosts (half listening, half closed): median %.3f s\n", hosts, p);
    std::printf("blocking connect() loop over the same hosts:              median %.3f s\n", b);
    std::printf("bare QTcpSocket attempts over the same hosts:             median %.3f s (%.2f x the loop)\n", q, q / b);
    std::printf("ratio pass / blocking loop: %.2f (target 2.0 or less)\n", p / b);
}

void idleCpu(int idleSeconds, int interval, bool shown)
{
    QTemporaryDir folder;
    // Outside the event loop, so that only the program's own work is counted.
    std::vector<std::unique_ptr<RawListener>> listeners;
    QByteArray list;
    for (int i = 0; i < 100; ++i) {
        quint16 port;
        if (i % 2 == 0) {
            listeners.push_back(std::make_unique<RawListener>());
            port = listeners.back()->port();
        } else {
            port = closedPort();
        }
        list += "\"127.0.0.1\",\"" + QByteArray::number(port) + "\"\r\n";
    }
    QFile file(folder.filePath(QStringLiteral("Sentrova.ini")));
    file.open(QIODevice::WriteOnly);
    file.write(list);
    file.close();

    Program program(folder.path());
    program.startUp();
    MainWindow window(program);
    if (shown)
        window.show();
    window.findChild<QLineEdit *>(QStringLiteral("intervalEdit"))->setText(QString::number(interval));
    window.findChild<QPushButton *>(QStringLiteral("startStopButton"))->click();

    // From the end of the first timed pass on (one interval after the start),
    // a wait is always running.
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (program.schedule().state() == MonitorSchedule::State::Waiting)
            loop.quit();
    });
    poll.start(50);
    loop.exec();
    poll.stop();

    int passes = 0;
    QObject::connect(&program.pass(), &MonitorPass::finished, &window, [&] { ++passes; });

    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    drainEvents(idleSeconds * 1000);
    const double cpu = cpuSeconds() - cpuBefore;
    const double seconds = wall.nsecsElapsed() / 1e9;
    std::printf("monitoring 100 hosts (interval %d s, window %s) for %.1f s of waits, %d passes in it: "
                "CPU %.3f s = %.2f%% of one core (target under 1%%)\n",
                interval, shown ? "shown" : "hidden", seconds, passes, cpu, 100.0 * cpu / seconds);
    window.findChild<QPushButton *>(QStringLiteral("startStopButton"))->click();
}
}

int main(int argc, char *argv[])
{
    BenchSupport::useOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    const BenchSupport::TemporarySettings settings;

    int hosts = 2000, idleSeconds = 30, rounds = 3, interval = 10;
    bool shown = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--hidden")) {
            shown = false;
            continue;
        }
        if (i + 1 >= args.size())
            break;
        if (args[i] == QLatin1String("--hosts"))
            hosts = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--rounds"))
            rounds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--interval"))
            interval = qBound(1, args[i + 1].toInt(), 65);
        ++i;
    }
    comparePass(qMax(2, hosts), qMax(1, rounds));
    if (idleSeconds > 0)
        idleCpu(idleSeconds, interval, shown);
    return 0;
}
