#include "gui/MainWindow.h"

#include "core/Program.h"
#include "core/base/SettingsStore.h"
#include "core/notify/MailAccount.h"
#include "gui/HelpWindow.h"
#include "gui/HostDialog.h"
#include "gui/LogWindow.h"
#include "gui/MailDialog.h"
#include "gui/StatusPageDialog.h"
#include "gui/common/DesignLayout.h"
#include "gui/common/HostGridView.h"
#include "gui/common/MessageBox.h"
#include "gui/common/Placement.h"
#include "gui/common/StatusPanel.h"
#include "gui/desktop/DesktopNotifier.h"
#include "gui/desktop/Keyring.h"
#include "gui/desktop/TrayIcon.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

namespace
{
// The client area is 8640 by 5055 twips.
constexpr int clientWidthTwips = 8640;
constexpr int clientHeightTwips = 5055;
}

MainWindow::MainWindow(Program &program, QWidget *parent)
    : QMainWindow(parent)
    , m_program(program)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("サーバー監視ユーティリティ"));
    createControls();
    createMenu();
    // The design size first; then the size and place of the last run,
    // which Qt keeps inside the screens there are now.
    layout()->activate();   // its minimum size, before the window exists
    resize(sizeHint());
    restoreGeometry(QByteArray::fromBase64(SettingsStore::text(Setting::WindowGeometry).toLatin1()));
    bindProgram();
}

MainWindow::~MainWindow()
{
    closeWindows();
}

void MainWindow::createControls()
{
    auto *client = new QWidget(this);
    setCentralWidget(client);

    place(new QLabel(QStringLiteral("サーバー監視間隔"), client), "intervalLabel", rectFromTwips(240, 160, 1695, 255));
    m_intervalEdit = place(new QLineEdit(client), "intervalEdit", rectFromTwips(2040, 120, 735, 270));
    // The box holds seconds, so the unit label says seconds.
    place(new QLabel(QStringLiteral("秒"), client), "intervalUnitLabel", rectFromTwips(2880, 160, 375, 255));
    m_lastPassLabel =
        place(new QLabel(QStringLiteral("前回監視時間"), client), "lastPassLabel", rectFromTwips(3720, 160, 3375, 255));
    m_startStopButton =
        place(new QPushButton(QStringLiteral("開始"), client), "startStopButton", rectFromTwips(7560, 60, 855, 375));
    m_hostGrid = place(new HostGridView(client), "hostGrid", rectFromTwips(240, 480, 8295, 3975));
    m_progressBar = place(new QProgressBar(client), "progressBar", rectFromTwips(240, 4560, 8295, 255));
    m_progressBar->setTextVisible(false);
    m_progressBar->setValue(0);

    // The status bar is part of the fixed client area, not the window's own
    // bar, so it keeps its place in the layout.
    auto *statusBar = place(new QStatusBar(client), "statusBar", rectFromTwips(0, 4800, clientWidthTwips, 255));
    statusBar->setSizeGripEnabled(false);
    const char *const names[] = {"hostPanel", "progressPanel", "notificationPanel"};
    const int widthsTwips[] = {1800, 3700, 2900};
    StatusPanel *panels[3];
    for (int i = 0; i < 3; ++i) {
        panels[i] = new StatusPanel(statusBar);
        panels[i]->setObjectName(QString::fromLatin1(names[i]));
        panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panels[i]->setContentsMargins(2, 0, 2, 0);
        panels[i]->setFixedWidth(twipsToPixels(widthsTwips[i]));
        statusBar->addWidget(panels[i]);
    }
    m_hostPanel = panels[0];
    m_progressPanel = panels[1];
    m_notificationPanel = panels[2];

    // A larger window gives the grid the room.
    auto *layout = new DesignLayout(client, QSize(twipsToPixels(clientWidthTwips), twipsToPixels(clientHeightTwips)));
    layout->anchor(m_startStopButton, DesignLayout::MoveRight);
    layout->anchor(m_hostGrid, DesignLayout::Wider | DesignLayout::Taller);
    layout->anchor(m_progressBar, DesignLayout::MoveDown | DesignLayout::Wider);
    layout->anchor(statusBar, DesignLayout::MoveDown | DesignLayout::Wider);
}

void MainWindow::createMenu()
{
    QMenu *menu = menuBar()->addMenu(QStringLiteral("環境設定"));
    menu->setObjectName(QStringLiteral("settingsMenu"));
    const auto addItem = [menu](const char *name, const QString &caption) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    Program &program = m_program;
    connect(addItem("hostsAction", QStringLiteral("ホスト設定")), &QAction::triggered, this, [this, &program] {
        showWindow(m_hostDialog,
                   [&program] { return new HostDialog(program.hosts(), program.folder(), program.log()); });
    });
    connect(addItem("statusPageAction", QStringLiteral("WWW設定")), &QAction::triggered, this, [this, &program] {
        showWindow(m_statusPageDialog, [&program] { return new StatusPageDialog(program.pageSettings()); });
    });
    m_notificationAction = addItem("notificationAction", QStringLiteral("障害通知"));
    connect(m_notificationAction, &QAction::triggered, this, [this, &program] {
        // A checked item unchecks itself when clicked; the mark shows the
        // switch, not the clicks.
        m_notificationAction->setChecked(program.mail().isOn());
        showWindow(m_mailDialog, [&program] { return new MailDialog(program.mail(), program.log()); });
    });
    connect(addItem("logAction", QStringLiteral("イベントログ")), &QAction::triggered, this, [this, &program] {
        showWindow(m_logWindow, [&program] { return new LogWindow(program.log(), program.folder()); });
    });
    addSwitchItem(menu, "trayIconAction", QStringLiteral("トレイアイコン"), Setting::TrayIcon);
    addSwitchItem(menu, "desktopNoticesAction", QStringLiteral("デスクトップ通知"), Setting::DesktopNotices);
    connect(addItem("helpAction", QStringLiteral("ヘルプ")), &QAction::triggered, this,
            [this] { showWindow(m_helpWindow, [this] { return new HelpWindow(this); }); });
    connect(addItem("exitAction", QStringLiteral("終了")), &QAction::triggered, this, [this] {
        m_program.exitChosen();
        close();
    });
}

// A checked menu item that is the switch of a stored setting.
QAction *MainWindow::addSwitchItem(QMenu *menu, const char *name, const QString &caption,
                                   SettingOf<SettingKind::Switch> setting)
{
    QAction *item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(true);
    item->setChecked(SettingsStore::isOn(setting));
    connect(item, &QAction::toggled, this, [setting](bool on) { SettingsStore::setOn(setting, on); });
    return item;
}

void MainWindow::bringForward()
{
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::bindProgram()
{
    m_hostGrid->setHosts(&m_program.hosts());
    bindSchedule();
    bindNotification();
    bindDesktop();
    connect(&m_program.pageWriter(), &StatusPageWriter::failed, this, &MainWindow::showPageFailure);
}

void MainWindow::bindSchedule()
{
    MonitorSchedule &schedule = m_program.schedule();
    m_intervalEdit->setText(SettingsStore::text(Setting::IntervalText));
    // Every keystroke is stored; the new interval takes effect at the next
    // press of the start/stop button.
    connect(m_intervalEdit, &QLineEdit::textChanged, this,
            [](const QString &text) { SettingsStore::setText(Setting::IntervalText, text); });
    connect(m_startStopButton, &QPushButton::clicked, this,
            [this] { m_program.toggleMonitoring(m_intervalEdit->text()); });
    connect(&schedule, &MonitorSchedule::stateChanged, this, &MainWindow::showScheduleState);
    m_hostPanel->setText(MonitorSchedule::stoppedHostText);
    connect(&schedule, &MonitorSchedule::hostTextChanged, m_hostPanel, &StatusPanel::showText);
    connect(&schedule, &MonitorSchedule::progressTextChanged, m_progressPanel, &StatusPanel::showText);
    connect(&schedule, &MonitorSchedule::lastPassChanged, this, [this](const QString &text) {
        m_lastPassLabel->setText(text);
        m_lastPassLabel->repaint();
    });
    connect(&schedule, &MonitorSchedule::waitProgressChanged, this, [this](int ticks, int maximum) {
        if (m_progressBar->maximum() != maximum)
            m_progressBar->setRange(0, maximum);
        m_progressBar->setValue(ticks);
    });
    connect(&schedule, &MonitorSchedule::userMessage, this,
            [this](const QString &text) { MessageBox::show(this, text); });
}

void MainWindow::showScheduleState(MonitorSchedule::State state)
{
    m_startStopButton->setText(state == MonitorSchedule::State::Stopped ? QStringLiteral("開始")
                                                                        : QStringLiteral("停止"));
    // The grid takes no input while a pass walks it.
    const bool passing = state == MonitorSchedule::State::Passing;
    m_hostGrid->setEnabled(!passing);
    // A pass shows its progress as fast as the eye follows; its end and
    // a stop show their final texts at once.
    m_hostPanel->setThrottled(passing);
    m_progressPanel->setThrottled(passing);
}

void MainWindow::bindNotification()
{
    MailNotification &mail = m_program.mail();
    const auto showSwitch = [this](bool on) {
        m_notificationPanel->setText(on ? QStringLiteral("障害通知オン") : QString());
        // Styles draw an empty box beside an unchecked item; off shows nothing.
        m_notificationAction->setCheckable(on);
        m_notificationAction->setChecked(on);
    };
    showSwitch(mail.isOn());
    connect(&mail, &MailNotification::switchChanged, this, showSwitch);
    connect(&mail, &MailNotification::userMessage, this, &MainWindow::showMailMessage);
    // The account's password waits in the desktop's secret store.
    // A password typed meanwhile is newer than the stored one.
    if (const QString user = MailAccount::stored().user; !user.isEmpty())
        Keyring::read(user, this, [this, user](const Keyring::Read &read) {
            SmtpReport &sender = m_program.mail().sender();
            if (read.password && !sender.knowsPassword(user))
                sender.setPassword(user, *read.password);
            else if (!read.failure.isEmpty())
                m_program.log().write(QStringLiteral("パスワードを読み出せません (%1)。").arg(read.failure));
        });
}

void MainWindow::bindDesktop()
{
    m_trayIcon = new TrayIcon(m_program.health(), this);
    m_trayIcon->setShown(SettingsStore::isOn(Setting::TrayIcon));
    connect(findChild<QAction *>(QStringLiteral("trayIconAction")), &QAction::toggled, m_trayIcon, &TrayIcon::setShown);
    connect(m_trayIcon, &TrayIcon::clicked, this, &MainWindow::bringForward);

    m_notifier = new DesktopNotifier(this);
    connect(&m_program.health(), &HostHealth::notice, m_notifier, [this](const QString &title, const QString &text) {
        if (SettingsStore::isOn(Setting::DesktopNotices))
            m_notifier->notify(title, text);
    });
    connect(m_notifier, &DesktopNotifier::clicked, this, &MainWindow::bringForward);
}

// A failed page is logged at every pass, but only one box waits for the
// operator, so unattended monitoring does not pile up one box per pass.
void MainWindow::showPageFailure(const QString &message)
{
    if (m_pageFailureBox && m_pageFailureBox->isVisible())
        return;
    m_pageFailureBox = MessageBox::show(this, message);
}

// Over the mail window while it is open; a test report may be answered after
// it was closed.
void MainWindow::showMailMessage(const QString &text)
{
    MessageBox::show(m_mailDialog ? static_cast<QWidget *>(m_mailDialog.data()) : this, text);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    SettingsStore::setText(Setting::WindowGeometry, QString::fromLatin1(saveGeometry().toBase64()));
    m_program.end();
    closeWindows();
}

void MainWindow::closeWindows()
{
    for (const QPointer<QWidget> &window : std::as_const(m_windows))
        delete window.data();
    m_windows.clear();
}
