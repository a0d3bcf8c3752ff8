// Starts the main window on a given program folder, starts monitoring, and
// saves a PNG of the main window and of each window its menu opens. Windows
// are found through the object names of the menu items, so whatever windows
// the program has are pictured.
//
// Usage: sentrova_screenshots PROGRAM_FOLDER OUTPUT_FOLDER [PASS_SECONDS]

#include "app/frmMain.h"
#include "platform/Appearance.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QSet>
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
    {"mnuSep1", "host-config.png"},
    {"mnuWWW", "www-config.png"},
    {"mnuNotification", "mail-config.png"},
    {"menuHELP", "help.png"},
};

constexpr int settleMs = 800;

class Driver : public QObject
{
public:
    Driver(frmMain &window, const QString &outputFolder, int passSeconds)
        : m_window(window)
        , m_output(outputFolder)
        , m_passMs(passSeconds * 1000)
    {
        m_known.insert(&m_window);
    }

    void start()
    {
        then(settleMs, [this] { click("cmdMonitor"); });
        then(m_passMs, [this] { save(&m_window, QStringLiteral("main-monitoring.png")); });
        for (const Shot &shot : dialogShots) {
            then(0, [this, shot] { trigger(shot.menuItem); });
            then(settleMs, [this, shot] { saveNewWindow(shot); });
        }
        then(0, [this] {
            click("cmdMonitor");
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

    void trigger(const char *name)
    {
        if (auto *item = m_window.findChild<QAction *>(QString::fromLatin1(name)))
            item->trigger();
    }

    void saveNewWindow(const Shot &shot)
    {
        QWidget *found = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && !qobject_cast<QMenu *>(widget) && !m_known.contains(widget))
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

    void save(QWidget *window, const QString &fileName)
    {
        const QString path = QDir(m_output).filePath(fileName);
        if (window->grab().save(path)) {
            std::printf("%s (%s)\n", qPrintable(path), qPrintable(window->windowTitle()));
        } else {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++m_failures;
        }
    }

    frmMain &m_window;
    QString m_output;
    int m_passMs;
    QSet<QWidget *> m_known;
    std::deque<std::pair<int, std::function<void()>>> m_steps;
    int m_failures = 0;
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

    frmMain window(programFolder);
    QObject::connect(&window, &frmMain::programEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    Driver driver(window, outputFolder, passSeconds);
    driver.start();
    const int status = app.exec();
    return status != 0 ? status : (driver.failures() == 0 ? 0 : 1);
}
