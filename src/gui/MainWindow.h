#pragma once

#include "core/base/SettingsStore.h"
#include "core/monitor/MonitorSchedule.h"

#include <QLayout>
#include <QMainWindow>
#include <QPointer>

class DesktopNotifier;
class HelpWindow;
class HostDialog;
class HostGridView;
class LogWindow;
class MailDialog;
class Program;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QMessageBox;
class QProgressBar;
class QPushButton;
class StatusPageDialog;
class StatusPanel;
class TrayIcon;

// The main window: the interval, the start/stop button, the host grid, the
// wait's progress and the status bar, and the menu that opens the other
// windows. Closing it ends the program.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(Program &program, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Shows the window in front, also when minimised: the tray icon, a
    // notification or a second start asked for it.
    void bringForward();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenu();
    void bindProgram();
    void bindSchedule();
    void showScheduleState(MonitorSchedule::State state);
    void bindNotification();
    void bindDesktop();
    QAction *addSwitchItem(QMenu *menu, const char *name, const QString &caption,
                           SettingOf<SettingKind::Switch> setting);
    void showPageFailure(const QString &message);
    void showMailMessage(const QString &text);

    // One window of each kind, without an owner; choosing its menu item
    // again brings the same window forward.
    template<typename Window, typename Factory>
    void showWindow(QPointer<Window> &slot, Factory create);
    void closeWindows();

    Program &m_program;

    QLineEdit *m_intervalEdit = nullptr;
    QLabel *m_lastPassLabel = nullptr;
    QPushButton *m_startStopButton = nullptr;
    HostGridView *m_hostGrid = nullptr;
    QProgressBar *m_progressBar = nullptr;
    StatusPanel *m_hostPanel = nullptr;
    StatusPanel *m_progressPanel = nullptr;
    StatusPanel *m_notificationPanel = nullptr;
    QAction *m_notificationAction = nullptr;
    TrayIcon *m_trayIcon = nullptr;
    DesktopNotifier *m_notifier = nullptr;

    QList<QPointer<QWidget>> m_windows;   // every window opened
    QPointer<HostDialog> m_hostDialog;
    QPointer<StatusPageDialog> m_statusPageDialog;
    QPointer<MailDialog> m_mailDialog;
    QPointer<HelpWindow> m_helpWindow;
    QPointer<LogWindow> m_logWindow;
    QPointer<QMessageBox> m_pageFailureBox;
};

template<typename Window, typename Factory>
void MainWindow::showWindow(QPointer<Window> &slot, Factory create)
{
    if (!slot) {
        slot = create();
        slot->setAttribute(Qt::WA_DeleteOnClose);
        m_windows.append(slot.data());
        // It opens centred over the main window, not where the desktop puts it.
        if (QLayout *layout = slot->layout())
            layout->activate();   // its size, before it is shown
        slot->move(frameGeometry().center() - slot->rect().center());
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}
