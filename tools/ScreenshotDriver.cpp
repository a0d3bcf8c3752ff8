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

#include "app/frmMain.h"
#include "monitor/HostListFile.h"
#include "platform/Appearance.h"
#include "platform/HostGrid.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTableWidget>
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
    Driver(frmMain &window, const QString &programFolder, const QString &outputFolder, int passSeconds)
        : m_window(window)
        , m_programFolder(programFolder)
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
        then(0, [this] { editHosts(); });
        then(2 * m_passMs, [this] { checkEdits(); });
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

    static QString cell(HostGrid &grid, int row, int column)
    {
        grid.setRow(row);
        grid.setColumn(column);
        return grid.text();
    }

    void editHosts()
    {
        QWidget *dialog = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String("frmHostConfig") && widget->isVisible())
                dialog = widget;
        }
        HostGrid *grid = dialog ? dialog->findChild<HostGrid *>(QStringLiteral("grdHotGrid")) : nullptr;
        if (!grid || grid->rowCount() < 3) {
            std::fprintf(stderr, "edit check: no host dialog with two hosts\n");
            ++m_failures;
            return;
        }
        m_added = cell(*grid, 1, 0) + u':' + cell(*grid, 1, 1);
        m_deleted = cell(*grid, 2, 0) + u':' + cell(*grid, 2, 1);
        dialog->findChild<QLineEdit *>(QStringLiteral("txtIpAddress"))->setText(cell(*grid, 1, 0));
        dialog->findChild<QLineEdit *>(QStringLiteral("PortNo"))->setText(m_added.section(u':', 1));
        dialog->findChild<QPushButton *>(QStringLiteral("cmdAdd"))->click();
        // A click on host row 2 of the dialog's grid, then the delete.
        Q_EMIT grid->table()->cellClicked(1, 0);
        dialog->findChild<QPushButton *>(QStringLiteral("cmdDelete"))->click();
        m_edited = true;
    }

    void checkEdits()
    {
        if (!m_edited)
            return;
        HostGrid &grid = *m_window.hostGrid();
        QString lastHost, lastStatus;
        bool deletedInGrid = false;
        for (int row = 1; row < grid.rowCount(); ++row) {
            const QString host = cell(grid, row, 0) + u':' + cell(grid, row, 1);
            std::printf("main grid row %d: %s %s\n", row, qPrintable(host), qPrintable(cell(grid, row, 2)));
            lastHost = host;
            lastStatus = cell(grid, row, 2);
            deletedInGrid = deletedInGrid || host == m_deleted;
        }
        grid.setColumn(0);
        QFile file(HostListFile::path(m_programFolder));
        const QByteArray saved = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        const auto fileLine = [](const QString &host) {
            return "\"" + host.section(u':', 0, 0).toLatin1() + "\",\"" + host.section(u':', 1).toLatin1() + "\"\r\n";
        };
        report("the added host is the main grid's last row", lastHost == m_added);
        report("the added host was probed by a later pass", lastStatus == QStringLiteral("サーバー稼動中"));
        report("the added host is the last line of Sentrova.ini", saved.endsWith(fileLine(m_added)));
        report("the deleted host is gone from the main grid", !deletedInGrid);
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
    QString m_programFolder;
    QString m_output;
    int m_passMs;
    QSet<QWidget *> m_known;
    std::deque<std::pair<int, std::function<void()>>> m_steps;
    int m_failures = 0;
    bool m_edited = false;
    QString m_added;     // "address:port"
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

    frmMain window(programFolder);
    QObject::connect(&window, &frmMain::programEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    Driver driver(window, programFolder, outputFolder, passSeconds);
    driver.start();
    const int status = app.exec();
    return status != 0 ? status : (driver.failures() == 0 ? 0 : 1);
}
