#pragma once

#include "log/EventLog.h"
#include "statuspage/StatusPageWriter.h"
#include "statuspage/WwwSettings.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>

class HostGrid;
class frmHELP;
class frmHostConfig;
class MailNotification;
class SmtpReport;
class frmMailConfig;
class MonitorPass;
class MonitorSchedule;
class ProbeSocket;
class QAction;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class frmWWWConfig;

// The main window: the hub of the program. It owns the live host grid, the
// timers and sockets of the monitoring, the status bar, and the shared
// procedures the dialogs reach (LogEvent, Notify, LoadSMTPConfig,
// SaveSMTPConfig, makeWWW). Start-up runs in the constructor.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(const QString &programFolder, QWidget *parent = nullptr);
    ~frmMain() override;

    // Shared procedures.
    void LogEvent(const QString &whatHappened);
    // Sends a failure report; done(accepted) runs once the dialogue is over.
    void Notify(const QString &downSystem, std::function<void(bool accepted)> done = {});
    void LoadSMTPConfig();
    void SaveSMTPConfig();
    void makeWWW();
    void LoadWWWConfig();

    const QString &programFolder() const { return m_programFolder; }
    const EventLog &eventLog() const { return m_log; }
    HostGrid *hostGrid() const { return grdHotGrid; }
    // Status bar panels 1 to 3.
    QLabel *statusPanel(int number) const;
    QAction *notificationMenuItem() const { return mnuNotification; }
    // The working copies of the status page settings.
    const WwwSettings &wwwSettings() const { return m_www; }
    bool isNotificationOn() const;
    MailNotification *mailNotification() const { return m_mail; }
    SmtpReport *reportSender() const { return m_report; }

Q_SIGNALS:
    // The main window has been unloaded: the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createControls();
    void createMenu();
    void createNotification();
    void createMonitoring();
    void startUp();
    void setUpGrid();
    void LoadHostList();

    void cmdMonitorClicked();
    void Text1Changed(const QString &text);
    void mnuSep1Clicked();
    void mnuWWWClicked();
    void mnuNotificationClicked();
    void menuHELPClicked();
    void mnuExitClicked();

    // One window of each dialog, without an owner; a second choice of its
    // menu item brings the same window forward.
    template<typename Dialog, typename Factory>
    void showDialog(QPointer<Dialog> &slot, Factory create);
    void closeDialogs();

    QString m_programFolder;
    EventLog m_log;

    HostGrid *grdHotGrid = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *cmdMonitor = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QStatusBar *StatusBar1 = nullptr;
    QLabel *m_panels[3] = {};
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    ProbeSocket *sckMonitor = nullptr;
    MonitorPass *m_pass = nullptr;           // MonitorHosts
    MonitorSchedule *m_schedule = nullptr;

    QAction *mnuSep1 = nullptr;
    QAction *mnuWWW = nullptr;
    QAction *mnuNotification = nullptr;
    QAction *menuHELP = nullptr;
    QAction *mnuExit = nullptr;

    QList<QPointer<QWidget>> m_dialogs;   // every dialog window opened
    QPointer<frmHostConfig> m_hostConfig;
    QPointer<frmHELP> m_help;
    QPointer<frmMailConfig> m_mailConfig;

    // NotificationOn and the mail settings; the reports over sckNotify.
    MailNotification *m_mail = nullptr;
    SmtpReport *m_report = nullptr;

    int IntervalSec = 0;
    bool m_ended = false;

    WwwSettings m_www;
    StatusPageWriter m_pageWriter{m_log, this};
    QPointer<frmWWWConfig> m_wwwConfig;
};

template<typename Dialog, typename Factory>
void frmMain::showDialog(QPointer<Dialog> &slot, Factory create)
{
    if (!slot) {
        slot = create();
        slot->setAttribute(Qt::WA_DeleteOnClose);
        m_dialogs.append(slot.data());
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}
