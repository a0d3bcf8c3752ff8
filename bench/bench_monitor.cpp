// Measures the monitoring pass, as the program runs it (開始 in its main
// window, hidden and shown), against a plain blocking connect() loop over the
// same loopback hosts in the same run; counts the connections a host that
// resets every connection gets; and measures the CPU the program uses while
// monitoring idles through its waits, at a 10 s and a 60 s interval.
//
//   bench_monitor [--hosts N] [--rounds R] [--idle-seconds S]
//   bench_monitor --outage       a pass over an outage, at 64 and 256 probes at once
//   bench_monitor --distance     every host 20 ms away (netem on a loopback of its own; root)
//
// Without a display it runs on the offscreen platform.

#include "BenchSupport.h"
#include "core/Program.h"
#include "core/base/SettingsStore.h"
#include "gui/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
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
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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

// Accepts every connection and resets it at once (SO_LINGER 0), on a thread
// of its own, counting what it accepts.
class ResettingListener
{
public:
    ResettingListener()
        : m_fd(BenchSupport::listenOnLoopback(64, m_port))
        , m_thread([this] {
            for (int fd; (fd = ::accept(m_fd, nullptr, nullptr)) >= 0;) {
                const linger reset{1, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                ::close(fd);
                ++m_accepted;
            }
        })
    {
    }
    ~ResettingListener()
    {
        ::shutdown(m_fd, SHUT_RDWR);
        m_thread.join();
        ::close(m_fd);
    }
    quint16 port() const { return m_port; }
    int accepted() const { return m_accepted; }

private:
    quint16 m_port = 0;
    int m_fd;
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

void writeHostList(const QString &folder, const std::vector<quint16> &ports)
{
    QByteArray list;
    for (quint16 port : ports)
        list += "\"127.0.0.1\",\"" + QByteArray::number(port) + "\"\r\n";
    QFile file(QDir(folder).filePath(QStringLiteral("Sentrova.ini")));
    file.open(QIODevice::WriteOnly);
    file.write(list);
}

// One pass of the program started by 開始, its main window shown or not.
double passSeconds(const std::vector<quint16> &ports, bool shown, int *running, double *cpu)
{
    QTemporaryDir folder;
    writeHostList(folder.path(), ports);
    Program program(folder.path());
    program.startUp();
    MainWindow window(program);
    if (shown) {
        window.show();
        drainEvents(200);
    }
    window.findChild<QLineEdit *>(QStringLiteral("intervalEdit"))->setText(QStringLiteral("65"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("startStopButton"));
    QEventLoop loop;
    QObject::connect(&program.pass(), &MonitorPass::finished, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    const double cpuBefore = cpuSeconds();
    clock.start();
    button->click();
    loop.exec();
    const double seconds = clock.nsecsElapsed() / 1e9;
    *cpu = cpuSeconds() - cpuBefore;
    button->click();
    *running = int(std::count_if(program.hosts().hosts().cbegin(), program.hosts().hosts().cend(),
                                 [](const Host &host) { return host.status == QStringLiteral("サーバー稼動中"); }));
    return seconds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
    // Every 100th host resets each connection it accepts.
    const ResettingListener resetting;
    std::vector<quint16> ports;
    int resettingHosts = 0;
    for (int i = 0; i < hosts; ++i) {
        if (i % 100 == 50) {
            ports.push_back(resetting.port());
            ++resettingHosts;
        } else {
            ports.push_back(i % 2 == 0 ? listening[(i / 2) % listenerCount] : closed[(i / 2) % listenerCount]);
        }
    }

    const QString platform = QGuiApplication::platformName();
    std::vector<double> hiddenTimes, shownTimes, loopTimes, hiddenRatios, shownRatios, oneAtATimeRatios;
    int resetAccepts = 0, resetProbes = 0;
    for (int round = 0; round < rounds; ++round) {
        int upHidden = 0, upShown = 0, accepted = 0;
        double cpuHidden = 0, cpuShown = 0;
        int before = resetting.accepted();
        const double h = passSeconds(ports, false, &upHidden, &cpuHidden);
        resetAccepts += resetting.accepted() - before;
        resetProbes += resettingHosts;
        drain();
        const double b = blockingLoopSeconds(ports, &accepted);
        drain();
        before = resetting.accepted();
        const double s = passSeconds(ports, true, &upShown, &cpuShown);
        resetAccepts += resetting.accepted() - before;
        resetProbes += resettingHosts;
        drain();
        SettingsStore::setText(Setting::ParallelProbes, QStringLiteral("1"));
        int upOne = 0;
        double cpuOne = 0;
        const double one = passSeconds(ports, false, &upOne, &cpuOne);
        SettingsStore::setText(Setting::ParallelProbes, QStringLiteral("64"));
        drain();
        oneAtATimeRatios.push_back(one / b);
        std::printf("round %d: pass hidden %.3f s (CPU %.3f s, %d running), shown %.3f s (CPU %.3f s, %d running), "
                    "blocking loop %.3f s (%d accepted); ratios %.2f hidden, %.2f shown\n",
                    round + 1, h, cpuHidden, upHidden, s, cpuShown, upShown, b, accepted, h / b, s / b);
        hiddenTimes.push_back(h);
        shownTimes.push_back(s);
        loopTimes.push_back(b);
        hiddenRatios.push_back(h / b);
        shownRatios.push_back(s / b);
    }
    const double h = median(hiddenTimes), s = median(shownTimes), b = median(loopTimes);
    // A ratio is taken within its round, so that the machine's mood of the
    // moment weighs on both sides.
    std::printf("pass over %d loopback hosts (half listening, half closed, %d resetting), medians:\n", hosts,
                resettingHosts);
    std::printf("  window hidden:           %.3f s, %.2f x the loop (target 0.7 or less)\n", h, median(hiddenRatios));
    std::printf("  window shown (%s): %.3f s, %.2f x the loop (target 0.7 or less)\n", qPrintable(platform), s,
                median(shownRatios));
    std::printf("  one at a time, hidden:   %.2f x the loop (target 2.0 or less)\n", median(oneAtATimeRatios));
    std::printf("  blocking connect() loop: %.3f s\n", b);
    std::printf("host that resets every connection: %d probes, %d connections accepted (target: one a probe)\n",
                resetProbes, resetAccepts);
}

void idleCpu(int idleSeconds, int interval)
{
    QTemporaryDir folder;
    // Outside the event loop, so that only the program's own work is counted.
    std::vector<std::unique_ptr<RawListener>> listeners;
    std::vector<quint16> ports;
    for (int i = 0; i < 100; ++i) {
        if (i % 2 == 0) {
            listeners.push_back(std::make_unique<RawListener>());
            ports.push_back(listeners.back()->port());
        } else {
            ports.push_back(closedPort());
        }
    }
    writeHostList(folder.path(), ports);

    Program program(folder.path());
    program.startUp();
    MainWindow window(program);
    window.show();
    window.findChild<QLineEdit *>(QStringLiteral("intervalEdit"))->setText(QString::number(interval));
    window.findChild<QPushButton *>(QStringLiteral("startStopButton"))->click();

    // Only the waits count, from the first timed pass on: the CPU and the
    // time from each wait's start to its end.
    double cpu = 0, seconds = 0, cpuAtStart = 0;
    int waits = 0;
    QElapsedTimer wall;
    QObject::connect(&program.schedule(), &MonitorSchedule::stateChanged, &window, [&](MonitorSchedule::State state) {
        if (state == MonitorSchedule::State::Waiting) {
            cpuAtStart = cpuSeconds();
            wall.start();
        } else if (wall.isValid()) {
            cpu += cpuSeconds() - cpuAtStart;
            seconds += wall.nsecsElapsed() / 1e9;
            wall.invalidate();
            ++waits;
        }
    });
    drainEvents((idleSeconds + 2 * interval) * 1000);
    std::printf("monitoring 100 hosts (interval %d s, window shown, %s): %d waits, %.1f s in all: "
                "CPU %.3f s = %.3f%% of one core (target under %s)\n",
                interval, qPrintable(QGuiApplication::platformName()), waits, seconds, cpu, 100.0 * cpu / seconds,
                interval <= 10 ? "0.3%" : "0.1%");
    window.findChild<QPushButton *>(QStringLiteral("startStopButton"))->click();
}
}

// A port whose accept queue is full: the kernel drops further SYNs, so a
// connection attempt to it hangs, as to a host behind a firewall that drops.
class DroppingListener
{
public:
    DroppingListener()
        : m_fd(BenchSupport::listenOnLoopback(0, m_port))
    {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(m_port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        for (int &filler : m_fillers) {
            filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(filler, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
        }
    }
    ~DroppingListener()
    {
        for (int filler : m_fillers)
            ::close(filler);
        ::close(m_fd);
    }
    quint16 port() const { return m_port; }

private:
    quint16 m_port = 0;
    int m_fd;
    int m_fillers[4];
};

// An outage: of 1,000 hosts 100 never answer, 450 refuse and 450 listen. A
// pass at N probes at once against 10 of the silent hosts one at a time.
void outage()
{
    DroppingListener dropping;
    RawListener listening;
    const quint16 refused = closedPort();
    std::vector<quint16> ports;
    for (int i = 0, other = 0; i < 1000; ++i)
        ports.push_back(i % 10 == 0 ? dropping.port() : other++ % 2 ? refused : listening.port());
    const std::vector<quint16> tenSilent(10, dropping.port());
    int running = 0;
    double cpu = 0;
    std::printf("outage: 1,000 loopback hosts, 100 silent (10 s each), 450 refused, 450 listening; window hidden\n");
    for (const char *parallel : {"64", "256"}) {
        SettingsStore::setText(Setting::ParallelProbes, QString::fromLatin1(parallel));
        const double seconds = passSeconds(ports, false, &running, &cpu);
        listening.drain();
        std::printf("  %s at once: %.1f s, %d running (target: %s)\n", parallel, seconds, running,
                    parallel == QLatin1String("64") ? "25 s or less" : "11 s or less");
    }
    SettingsStore::setText(Setting::ParallelProbes, QStringLiteral("1"));
    const double one = passSeconds(tenSilent, false, &running, &cpu);
    std::printf("  one at a time, 10 of the silent hosts: %.1f s, so about %.0f s for the 1,000\n", one, one * 10);
}

// A network of its own whose loopback holds every packet 10 ms: a round trip
// of 20 ms. Made before any thread or socket, so that all are in it.
bool isolateWithDelay()
{
    return ::unshare(CLONE_NEWNET) == 0
        && std::system("ip link set lo up && tc qdisc add dev lo root netem delay 10ms 2>/dev/null") == 0;
}

// 1,000 hosts 20 ms away, half listening, half refusing: at the default N,
// and 50 of them one at a time.
void distance()
{
    RawListener listening;
    const quint16 refused = closedPort();
    std::vector<quint16> ports;
    for (int i = 0; i < 1000; ++i)
        ports.push_back(i % 2 ? refused : listening.port());
    int running = 0;
    double cpu = 0;
    std::printf("distance: 1,000 hosts 20 ms away (netem), 500 listening, 500 refused; window hidden\n");
    const double parallel = passSeconds(ports, false, &running, &cpu);
    listening.drain();
    std::printf("  64 at once (the default): %.2f s, %d running (target: 1 s or less)\n", parallel, running);
    SettingsStore::setText(Setting::ParallelProbes, QStringLiteral("1"));
    const double one = passSeconds(std::vector<quint16>(ports.begin(), ports.begin() + 50), false, &running, &cpu);
    std::printf("  one at a time, 50 of them: %.2f s, so about %.0f s for the 1,000\n", one, one * 20);
}

int main(int argc, char *argv[])
{
    const bool distant = argc > 1 && std::strcmp(argv[1], "--distance") == 0;
    if (distant && !isolateWithDelay()) {
        std::printf("distance: skipped, netem cannot delay a loopback of its own here (needs root and sch_netem)\n");
        return 0;
    }
    BenchSupport::useOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    const BenchSupport::TemporarySettings settings;

    int hosts = 2000, idleSeconds = 30, rounds = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--hosts"))
            hosts = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--rounds"))
            rounds = args[i + 1].toInt();
    }
    if (args.contains(QLatin1String("--outage")))
        return outage(), 0;
    if (distant)
        return distance(), 0;
    comparePass(qMax(2, hosts), qMax(1, rounds));
    for (int interval : {10, 60}) {
        if (idleSeconds > 0)
            idleCpu(idleSeconds, interval);
    }
    return 0;
}
