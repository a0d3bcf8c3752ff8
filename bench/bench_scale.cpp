// The program at its largest host list: 32,766 rows, the most a list can hold
// and still be saved. Measures, through the real windows and files:
//   - start-up: the program started and its main window built with that
//     Sentrova.ini (and shown);
//   - the host dialog: opening it (it reads the file into its own list), a
//     save of its list, a delete and an add (each rewrites the file);
//   - one status page write;
//   - one monitoring pass over all rows, started by 開始, and the longest time
//     the event loop was blocked during it, seen by a 10 ms timer measuring
//     its own lateness.
//
// Every row is on 127.0.0.1. One cannot open 32,766 listeners, so every
// second row names one of a few listeners (served by a thread outside the
// event loop: accept, close) and the others one of a few hundred closed ports
// below the kernel's ephemeral range (a closed port inside it can, rarely,
// connect to itself and read as running).
//
//   bench_scale [--rows N] [--listeners L] [--closed C] [--hidden]
//
// Without a display it runs on the offscreen platform.

#include "BenchSupport.h"
#include "core/Program.h"
#include "core/base/SettingsStore.h"
#include "core/hosts/HostListEditor.h"
#include "core/hosts/HostListFile.h"
#include "gui/MainWindow.h"
#include "gui/common/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace
{
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ms(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e6;
}

void runLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Listening sockets served by a thread of their own: every connection is
// accepted and closed at once, as a busy server's front door would.
class Listeners
{
public:
    explicit Listeners(int count)
    {
        for (int i = 0; i < count; ++i) {
            quint16 port = 0;
            m_fds.push_back(BenchSupport::listenOnLoopback(4096, port));
            m_ports.push_back(port);
        }
        if (::pipe(m_wake) != 0)
            std::abort();
        m_thread = std::thread([this] { serve(); });
    }
    ~Listeners()
    {
        m_stop = true;
        const char byte = 0;
        if (::write(m_wake[1], &byte, 1) != 1)
            std::abort();
        m_thread.join();
        for (int fd : m_fds)
            ::close(fd);
        ::close(m_wake[0]);
        ::close(m_wake[1]);
    }
    Listeners(const Listeners &) = delete;
    Listeners &operator=(const Listeners &) = delete;

    const std::vector<quint16> &ports() const { return m_ports; }
    long accepted() const { return m_accepted; }

private:
    void serve()
    {
        std::vector<pollfd> watched;
        for (int fd : m_fds)
            watched.push_back({fd, POLLIN, 0});
        watched.push_back({m_wake[0], POLLIN, 0});
        while (!m_stop) {
            if (::poll(watched.data(), watched.size(), -1) < 0)
                continue;
            for (size_t i = 0; i + 1 < watched.size(); ++i) {
                if (!(watched[i].revents & POLLIN))
                    continue;
                const int peer = ::accept(watched[i].fd, nullptr, nullptr);
                if (peer >= 0) {
                    ::close(peer);
                    ++m_accepted;
                }
            }
        }
    }

    std::vector<int> m_fds;
    std::vector<quint16> m_ports;
    int m_wake[2] = {-1, -1};
    std::atomic<bool> m_stop{false};
    std::atomic<long> m_accepted{0};
    std::thread m_thread;
};

// Ports below the ephemeral range that nothing listens on right now.
std::vector<quint16> closedPorts(int count)
{
    int low = 32768;
    std::ifstream("/proc/sys/net/ipv4/ip_local_port_range") >> low;
    std::vector<quint16> ports;
    for (int port = low - 1; port > 1024 && int(ports.size()) < count; --port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(quint16(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0)
            ports.push_back(quint16(port));
        ::close(fd);
    }
    return ports;
}

// The event loop's lateness as a 10 ms timer sees it.
class LatenessProbe : public QObject
{
public:
    LatenessProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double late = ms(m_since) - 10.0;
            m_since.start();
            if (late > m_worst) {
                m_worst = late;
                m_worstAt = ms(m_run) / 1000.0;
            }
            ++m_ticks;
            m_over50 += late > 50;
            m_over100 += late > 100;
            m_late.push_back(late);
        });
    }
    void start()
    {
        m_run.start();
        m_since.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }
    double worst() const { return m_worst; }
    double worstAt() const { return m_worstAt; }   // seconds after start()
    double percentile(double p)
    {
        if (m_late.empty())
            return 0;
        std::sort(m_late.begin(), m_late.end());
        return m_late[std::min(m_late.size() - 1, size_t(p * m_late.size()))];
    }
    long ticks() const { return m_ticks; }
    long over50() const { return m_over50; }
    long over100() const { return m_over100; }

private:
    QTimer m_timer;
    QElapsedTimer m_since, m_run;
    std::vector<double> m_late;
    double m_worst = 0, m_worstAt = 0;
    long m_ticks = 0, m_over50 = 0, m_over100 = 0;
};

int countStatus(const HostTableModel &hosts, const QString &text)
{
    return int(std::count_if(hosts.hosts().cbegin(), hosts.hosts().cend(),
                             [&text](const Host &host) { return host.status == text; }));
}

int countLogLines(const QString &path, const QByteArray &needle)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(file.readAll().count(needle));
}

void row(const char *what, double value, const char *unit, const char *note = "")
{
    std::printf("| %s | %.1f %s | %s |\n", what, value, unit, note);
    std::fflush(stdout);
}
}

int main(int argc, char *argv[])
{
    BenchSupport::useOffscreenWithoutDisplay();
    QApplication app(argc, argv);
    const BenchSupport::TemporarySettings settings;

    int rows = HostTableModel::maxWrittenRows, listenerCount = 8, closedCount = 256;
    bool shown = true;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--hidden")) {
            shown = false;
            continue;
        }
        if (i + 1 >= args.size())
            break;
        if (args[i] == QLatin1String("--rows"))
            rows = qBound(1, args[i + 1].toInt(), HostTableModel::maxWrittenRows);
        else if (args[i] == QLatin1String("--listeners"))
            listenerCount = qMax(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--closed"))
            closedCount = qMax(1, args[i + 1].toInt());
        ++i;
    }

    QStringList messages;
    MessageBox::setTestHook([&](const QString &text) { messages.append(text); });

    Listeners listeners(listenerCount);
    const std::vector<quint16> closed = closedPorts(closedCount);
    QTemporaryDir program, www, emptyProgram;
    QByteArray list;
    for (int i = 0; i < rows; ++i) {
        const quint16 port =
            i % 2 == 0 ? listeners.ports()[(i / 2) % listeners.ports().size()] : closed[(i / 2) % closed.size()];
        list += "\"127.0.0.1\",\"" + QByteArray::number(port) + "\"\r\n";
    }
    {
        QFile file(QDir(program.path()).filePath(QStringLiteral("Sentrova.ini")));
        if (!file.open(QIODevice::WriteOnly) || file.write(list) != list.size())
            return 1;
    }
    // The page on; an interval long enough that no timed pass joins the first.
    SettingsStore::setText(Setting::IntervalText, QStringLiteral("65"));
    SettingsStore::setText(Setting::PageFolder, www.path());
    SettingsStore::setText(Setting::PageName, QStringLiteral("index.html"));
    SettingsStore::setOn(Setting::PageEnabled, true);

    std::printf("%d host rows on 127.0.0.1 (%d listening on %zu ports, %d closed on %zu ports), "
                "platform %s, window %s\n\n",
                rows, (rows + 1) / 2, listeners.ports().size(), rows / 2, closed.size(),
                qPrintable(QGuiApplication::platformName()), shown ? "shown" : "hidden");
    std::printf("| Step | Time | Note |\n|---|---|---|\n");

    QElapsedTimer clock;
    {
        // Fonts, styles and the codec are set up once per process; this
        // start-up pays for them, the measured one does not.
        clock.start();
        Program warmUpProgram(emptyProgram.path());
        warmUpProgram.startUp();
        MainWindow warmUp(warmUpProgram);
        row("Start-up with an empty list (first window of the process)", ms(clock), "ms");
    }

    clock.start();
    Program sentrova(program.path());
    sentrova.startUp();
    auto window = std::make_unique<MainWindow>(sentrova);
    const double loadMs = ms(clock);
    const int loaded = sentrova.hosts().rowCount();
    row("Start-up load: the program started and its window built with the list", loadMs, "ms",
        loaded == rows ? "all rows in the list" : "ROWS MISSING");
    if (shown) {
        clock.start();
        window->show();
        runLoopFor(0);
        row("Window shown, first turn of the event loop", ms(clock), "ms");
    }

    const QString page = QDir(www.path()).filePath(QStringLiteral("index.html"));
    std::vector<double> pageTimes;
    for (int i = 0; i < 3; ++i) {
        QFile::remove(page);
        clock.start();
        QSignalSpy written(&sentrova.pageWriter(), &StatusPageWriter::finished);
        sentrova.pageWriter().write(sentrova.hosts().hosts(), sentrova.pageSettings());
        written.wait(30000);
        pageTimes.push_back(ms(clock));
    }
    std::sort(pageTimes.begin(), pageTimes.end());
    const qint64 pageBytes = QFileInfo(page).size();
    row("One page write, median of 3", pageTimes[1], "ms",
        qPrintable(QStringLiteral("%1 bytes, slowest %2 ms").arg(pageBytes).arg(pageTimes[2], 0, 'f', 1)));

    // The host dialog, opened through its menu item as the operator does.
    clock.start();
    window->findChild<QAction *>(QStringLiteral("hostsAction"))->trigger();
    QWidget *dialog = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("hostDialog"))
            dialog = w;
    }
    row("Host dialog opened (reads the list into its own)", ms(clock), "ms");
    HostListEditor &editor = *dialog->findChild<HostListEditor *>();
    clock.start();
    HostListFile::save(program.path(), editor.hosts());
    row("Save of the dialog's list", ms(clock), "ms");
    editor.select(rows - 1);
    clock.start();
    editor.deleteSelected();
    row("Delete of the last row in the dialog (both lists, file rewritten)", ms(clock), "ms");
    const QString lastPort = HostListFile::parse(list.mid(list.lastIndexOf("\"127.0.0.1\""))).hosts.at(0).port;
    clock.start();
    editor.add(QStringLiteral("127.0.0.1"), lastPort);
    row("Add of a row in the dialog (both lists, file rewritten)", ms(clock), "ms");
    {
        QFile file(QDir(program.path()).filePath(QStringLiteral("Sentrova.ini")));
        file.open(QIODevice::ReadOnly);
        std::printf("|  |  | file after delete and add %s the original |\n",
                    file.readAll() == list ? "equals" : "DIFFERS FROM");
    }
    dialog->close();
    runLoopFor(0);

    // One pass, started by the button as the operator starts monitoring, with
    // the window hidden and then shown.
    MonitorPass *pass = &sentrova.pass();
    auto *button = window->findChild<QPushButton *>(QStringLiteral("startStopButton"));
    const QString logPath = QDir(program.path()).filePath(QStringLiteral("Sentrova.Log"));
    const QByteArray downLine("\x81\x75"
                              "127.0.0.1"
                              "\x81\x76");
    std::map<bool, double> passSeconds, worstBlock;
    for (bool visible : {false, true}) {
        if (visible && !shown)
            break;
        window->setVisible(visible);
        runLoopFor(200);
        LatenessProbe lateness;
        QEventLoop loop;
        QObject::connect(pass, &MonitorPass::finished, &loop, &QEventLoop::quit);
        const double cpuBefore = cpuSeconds();
        const long acceptedBefore = listeners.accepted();
        const int downLinesBefore = countLogLines(logPath, downLine);
        lateness.start();
        clock.start();
        button->click();
        const double clickMs = ms(clock);
        loop.exec();
        const double passMs = ms(clock);
        const double passCpu = cpuSeconds() - cpuBefore;
        // The page written after the pass counts as part of it.
        runLoopFor(300);
        lateness.stop();
        button->click();

        const char *const mode = visible ? "window shown" : "window hidden";
        passSeconds[visible] = passMs / 1000.0;
        worstBlock[visible] = lateness.worst();
        row(qPrintable(QStringLiteral("One pass over every row, %1 (開始 to the pass's end)").arg(QLatin1String(mode))),
            passMs / 1000.0, "s",
            qPrintable(QStringLiteral("%1 running, %2 down, %3 down log lines, %4 accepted by the listeners; "
                                      "%5 ms a host; CPU %6 s")
                           .arg(countStatus(sentrova.hosts(), QStringLiteral("サーバー稼動中")))
                           .arg(countStatus(sentrova.hosts(), QStringLiteral("サーバーダウン")))
                           .arg(countLogLines(logPath, downLine) - downLinesBefore)
                           .arg(listeners.accepted() - acceptedBefore)
                           .arg(passMs / rows, 0, 'f', 3)
                           .arg(passCpu, 0, 'f', 2)));
        row("The click on 開始 itself", clickMs, "ms");
        row("Event loop blocked, longest (10 ms timer's lateness)", lateness.worst(), "ms",
            qPrintable(QStringLiteral("at %5 s (the pass ended at %6 s); %1 ticks; 99.9th percentile %2 ms; "
                                      "%3 over 50 ms, %4 over 100 ms")
                           .arg(lateness.ticks())
                           .arg(lateness.percentile(0.999), 0, 'f', 1)
                           .arg(lateness.over50())
                           .arg(lateness.over100())
                           .arg(lateness.worstAt(), 0, 'f', 2)
                           .arg(passMs / 1000.0, 0, 'f', 2)));
    }
    if (passSeconds.count(true))
        std::printf("\npass shown / hidden: %.2f (target 1.5 or less)\n", passSeconds[true] / passSeconds[false]);
    if (!messages.isEmpty())
        std::printf("\nmessage boxes: %s\n", qPrintable(messages.join(QStringLiteral(" / "))));

    std::printf("\ntargets: load %s (under 1 s), page write %s (under 1 s), event loop %s (never over 100 ms)\n",
                loadMs < 1000 ? "met" : "MISSED", pageTimes[1] < 1000 ? "met" : "MISSED",
                std::max(worstBlock[false], worstBlock[true]) <= 100 ? "met" : "MISSED");
    window.reset();
    return 0;
}
