// Starts the main window on a given program folder, starts monitoring, and
// saves a PNG of the main window and of each window its menu opens. Windows
// are found through the object names of the menu items, so whatever windows
// the program has are pictured.
//
// Then it edits the list through the host dialog while monitoring runs: it
// adds the first host once more (it becomes the last row) and deletes the
// second host, waits for the next passes, and checks that the added host was
// probed and saved and that the deleted one is gone from the grid and the
// file.
//
// Usage: sentrova_screenshots PROGRAM_FOLDER OUTPUT_FOLDER [PASS_SECONDS]

#include "core/Program.h"
#include "gui/MainWindow.h"
#include "gui/common/Appearance.h"
#include "gui/common/HostGridView.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <functional>

namespace
{
struct Shot
{
    const char *menuItem;
    const char *fileName;
};

constexpr Shot dialogShots[] = {
    {"hostsAction", "host-config.png"},
    {"statusPageAction", "www-config.png"},
    {"notificationAction", "mail-config.png"},
    {"helpAction", "help.png"},
    {"logAction", "event-log.png"},
};

constexpr int settleMs = 800;

class Driver : public QObject
{
public:
    Driver(Program &program, MainWindow &window, const QString &outputFolder, int passSeconds)
        : m_program(program)
        , m_window(window)
        , m_output(outputFolder)
        , m_passMs(passSeconds * 1000)
    {
        m_known.insert(&m_window);
    }

    void start()
    {
        then(settleMs, [this] { click("startStopButton"); });
        then(m_passMs, [this] { save(&m_window, QStringLiteral("main-monitoring.png")); });
        // The whole screen, for the tray icon and the notification of the first pass.
        then(0, [this] { saveScreen(QStringLiteral("desktop-tray-notice.png")); });
        then(0, [this] { m_window.showMaximized(); });
        then(settleMs, [this] { save(&m_window, QStringLiteral("main-maximised.png")); });
        then(0, [this] { m_window.showNormal(); });
        for (const Shot &shot : dialogShots) {
            then(0, [this, shot] { trigger(shot.menuItem); });
            then(settleMs, [this, shot] { saveNewWindow(shot); });
        }
        then(0, [this] { clickIn("mailDialog", "serverDetailsButton"); });
        then(settleMs, [this] { saveNewWindow({"serverDetailsButton", "mail-server.png"}); });
        then(0, [this] { clickIn("statusPageDialog", "browseButton"); });
        then(settleMs, [this] {
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (auto *chooser = qobject_cast<QFileDialog *>(widget); chooser && chooser->isVisible()) {
                    save(chooser, QStringLiteral("folder-chooser.png"));
                    chooser->reject();
                }
        });
        then(0, [this] { editHosts(); });
        then(2 * m_passMs, [this] { checkEdits(); });
        then(0, [this] {
            click("startStopButton");
            m_window.close();
        });
        next();
    }

    int failures() const { return m_failures; }

private:
    void then(int delayMs, std::function<void()> step) { m_steps.push_back({delayMs, std::move(step)}); }

    void next()
    {
        if (m_steps.empty())
            return;
        auto [delayMs, step] = std::move(m_steps.front());
        m_steps.pop_front();
        QTimer::singleShot(delayMs, this, [this, step] {
            step();
            next();
        });
    }

    void click(const char *name)
    {
        if (auto *button = m_window.findChild<QPushButton *>(QString::fromLatin1(name)))
            button->click();
    }

    void clickIn(const char *window, const char *name)
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == QLatin1String(window))
                if (auto *button = widget->findChild<QPushButton *>(QString::fromLatin1(name)))
                    button->click();
    }

    void trigger(const char *name)
    {
        if (auto *item = m_window.findChild<QAction *>(QString::fromLatin1(name)))
            item->trigger();
    }

    static QString hostText(const Host &host) { return host.address + u':' + host.port; }

    void editHosts()
    {
        QWidget *dialog = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("hostDialog") && widget->isVisible())
                dialog = widget;
        }
        auto *grid = dialog ? dialog->findChild<HostGridView *>(QStringLiteral("hostGrid")) : nullptr;
        const QList<Host> &hosts = m_program.hosts().hosts();
        if (!grid || hosts.size() < 2) {
            std::fprintf(stderr, "edit check: no host dialog with two hosts\n");
            ++m_failures;
            return;
        }
        m_added = hostText(hosts.at(0));
        m_deleted = hostText(hosts.at(1));
        dialog->findChild<QLineEdit *>(QStringLiteral("addressEdit"))->setText(hosts.at(0).address);
        dialog->findChild<QLineEdit *>(QStringLiteral("portEdit"))->setText(hosts.at(0).port);
        dialog->findChild<QPushButton *>(QStringLiteral("addButton"))->click();
        // A click on the second host of the dialog's grid, then the delete.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(1, 0)).center());
        dialog->findChild<QPushButton *>(QStringLiteral("deleteButton"))->click();
        m_edited = true;
    }

    void checkEdits()
    {
        if (!m_edited)
            return;
        const QList<Host> &hosts = m_program.hosts().hosts();
        bool deletedInGrid = false;
        for (const Host &host : hosts) {
            std::printf("main list: %s %s\n", qPrintable(hostText(host)), qPrintable(host.status));
            deletedInGrid = deletedInGrid || hostText(host) == m_deleted;
        }
        const QString lastHost = hostText(hosts.last());
        const QString lastStatus = hosts.last().status;
        QFile file(QDir(m_program.folder()).filePath(QStringLiteral("Sentrova.ini")));
        const QByteArray saved = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const auto fileLine = [](const QString &host) {
            return "\"" + host.section(u':', 0, 0).toLatin1() + "\",\"" + host.section(u':', 1).toLatin1() + "\"\r\n";
        };
        report("the added host is the main list's last row", lastHost == m_added);
        report("the added host was probed by a later pass", lastStatus == QStringLiteral("サーバー稼動中"));
        report("the added host is the last line of Sentrova.ini", saved.endsWith(fileLine(m_added)));
        report("the deleted host is gone from the main list", !deletedInGrid);
        report("the deleted host is gone from Sentrova.ini", !saved.contains(fileLine(m_deleted)));
    }

    void report(const char *what, bool ok)
    {
        std::printf("edit check: %s: %s\n", ok ? "ok" : "FAILED", what);
        if (!ok)
            ++m_failures;
    }

    void saveNewWindow(const Shot &shot)
    {
        QWidget *found = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            // The program's windows have titles; the tray icon's window has none.
            if (widget->isVisible() && !widget->windowTitle().isEmpty() && !qobject_cast<QMenu *>(widget)
                && !m_known.contains(widget))
                found = widget;
        }
        if (!found) {
            std::fprintf(stderr, "no window opened for %s\n", shot.menuItem);
            ++m_failures;
            return;
        }
        m_known.insert(found);
        save(found, QString::fromLatin1(shot.fileName));
    }

    void saveScreen(const QString &fileName) { save(QGuiApplication::primaryScreen()->grabWindow(0), fileName); }
    void save(QWidget *window, const QString &fileName) { save(window->grab(), fileName); }
    void save(const QPixmap &picture, const QString &fileName)
    {
        const QString path = QDir(m_output).filePath(fileName);
        if (picture.save(path)) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++m_failures;
        }
    }

    Program &m_program;
    MainWindow &m_window;
    QString m_output;
    int m_passMs;
    QSet<QWidget *> m_known;
    std::deque<std::pair<int, std::function<void()>>> m_steps;
    int m_failures = 0;
    bool m_edited = false;
    QString m_added;   // "address:port"
    QString m_deleted;
};
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: sentrova_screenshots PROGRAM_FOLDER OUTPUT_FOLDER [PASS_SECONDS]\n");
        return 2;
    }
    QApplication::setOrganizationName(QStringLiteral("Sentrova"));
    QApplication::setApplicationName(QStringLiteral("Sentrova"));
    Appearance::install();
    const QString programFolder = QString::fromLocal8Bit(argv[1]);
    const QString outputFolder = QString::fromLocal8Bit(argv[2]);
    const int passSeconds = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 5;
    QDir().mkpath(outputFolder);

    Program program(programFolder);
    program.startUp();
    MainWindow window(program);
    QObject::connect(&program, &Program::ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    Driver driver(program, window, outputFolder, passSeconds);
    driver.start();
    const int status = app.exec();
    return status != 0 ? status : (driver.failures() == 0 ? 0 : 1);
}
