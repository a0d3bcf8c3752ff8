#include "app/frmMain.h"

#include "help/frmHELP.h"
#include "hostconfig/frmHostConfig.h"
#include "monitor/HostListFile.h"
#include "monitor/IntervalText.h"
#include "monitor/MonitorPass.h"
#include "monitor/MonitorSchedule.h"
#include "notify/MailNotification.h"
#include "notify/SmtpReport.h"
#include "notify/frmMailConfig.h"
#include "platform/HostGrid.h"
#include "platform/MessageBox.h"
#include "platform/ProbeSocket.h"
#include "platform/SettingsStore.h"
#include "platform/Twips.h"
#include "statuspage/frmWWWConfig.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

namespace
{
const QString programVersionText = QStringLiteral("Sentrova v1.0");

// The client area is 8640 by 5055 twips.
constexpr int clientWidthTwips = 8640;
constexpr int clientHeightTwips = 5055;
}

frmMain::frmMain(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_programFolder(programFolder)
    , m_log(programFolder)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("サーバー監視ユーティリティ"));
    createControls();
    createMenu();
    createNotification();
    createMonitoring();
    startUp();
}

frmMain::~frmMain()
{
    m_schedule->shutDown();
    closeDialogs();
}

void frmMain::createControls()
{
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twipsToPixels(clientWidthTwips), twipsToPixels(clientHeightTwips));
    setCentralWidget(client);

    Label1 = new QLabel(QStringLiteral("サーバー監視間隔"), client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(rectFromTwips(240, 160, 1695, 255));

    Text1 = new QLineEdit(QStringLiteral("15"), client);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(rectFromTwips(2040, 120, 735, 270));

    // The box holds seconds, so the unit label says seconds.
    Label3 = new QLabel(QStringLiteral("秒"), client);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(rectFromTwips(2880, 160, 375, 255));

    Label2 = new QLabel(QStringLiteral("前回監視時間"), client);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(rectFromTwips(3720, 160, 3375, 255));

    cmdMonitor = new QPushButton(QStringLiteral("開始"), client);
    cmdMonitor->setObjectName(QStringLiteral("cmdMonitor"));
    cmdMonitor->setGeometry(rectFromTwips(7560, 60, 855, 375));

    grdHotGrid = new HostGrid(client);
    grdHotGrid->setObjectName(QStringLiteral("grdHotGrid"));
    grdHotGrid->setGeometry(rectFromTwips(240, 480, 8295, 3975));

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(rectFromTwips(240, 4560, 8295, 255));
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setValue(0);

    // The status bar is part of the fixed client area, not the window's
    // own bar, so it keeps its place in the layout.
    StatusBar1 = new QStatusBar(client);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setGeometry(rectFromTwips(0, 4800, clientWidthTwips, 255));
    for (int i = 0; i < 3; ++i) {
        auto *panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setContentsMargins(2, 0, 2, 0);
        StatusBar1->addWidget(panel);
        m_panels[i] = panel;
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(60000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    // 20 ms ticks, IntervalSec x 50 of them, fill the bar over the interval.
    Timer2->setInterval(MonitorSchedule::waitTickMs);

    connect(cmdMonitor, &QPushButton::clicked, this, &frmMain::cmdMonitorClicked);
    connect(Text1, &QLineEdit::textChanged, this, &frmMain::Text1Changed);

    setFixedSize(sizeHint());
}

void frmMain::createMenu()
{
    QMenu *mnuFile = menuBar()->addMenu(QStringLiteral("環境設定"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    auto addItem = [&](QAction *&item, const char *name, const QString &caption, void (frmMain::*handler)()) {
        item = mnuFile->addAction(caption);
        item->setObjectName(QString::fromLatin1(name));
        connect(item, &QAction::triggered, this, handler);
    };
    addItem(mnuSep1, "mnuSep1", QStringLiteral("ホスト設定"), &frmMain::mnuSep1Clicked);
    addItem(mnuWWW, "mnuWWW", QStringLiteral("WWW設定"), &frmMain::mnuWWWClicked);
    addItem(mnuNotification, "mnuNotification", QStringLiteral("障害通知"), &frmMain::mnuNotificationClicked);
    mnuNotification->setCheckable(true);
    addItem(menuHELP, "menuHELP", QStringLiteral("ヘルプ"), &frmMain::menuHELPClicked);
    addItem(mnuExit, "mnuExit", QStringLiteral("終了"), &frmMain::mnuExitClicked);
    setFixedSize(sizeHint());
}

void frmMain::createNotification()
{
    auto log = [this](const QString &text) { LogEvent(text); };
    m_mail = new MailNotification(m_programFolder, log, this);
    connect(m_mail, &MailNotification::indicationsChanged, this, [this](bool on) {
        m_panels[2]->setText(on ? QStringLiteral("障害通知オン") : QString());
        mnuNotification->setChecked(on);
    });
    m_report = new SmtpReport([this] { return m_mail->settings(); }, log, this);
}

bool frmMain::isNotificationOn() const
{
    return m_mail->isOn();
}

void frmMain::createMonitoring()
{
    sckMonitor = new ProbeSocket(this);
    sckMonitor->setObjectName(QStringLiteral("sckMonitor"));

    const auto setPanelText = [this](int panel, const QString &text) { statusPanel(panel)->setText(text); };
    const auto logEvent = [this](const QString &text) { LogEvent(text); };
    MonitorPass::Hooks passHooks;
    passHooks.setPanelText = setPanelText;
    passHooks.logEvent = logEvent;
    passHooks.notificationOn = [this] { return isNotificationOn(); };
    passHooks.notify = [this](const QString &address, std::function<void()> done) {
        Notify(address, [done = std::move(done)](bool) { done(); });
    };
    m_pass = new MonitorPass(*grdHotGrid, *sckMonitor, std::move(passHooks), this);
    m_pass->setObjectName(QStringLiteral("MonitorHosts"));

    MonitorSchedule::Controls controls;
    controls.cmdMonitor = cmdMonitor;
    controls.Label2 = Label2;
    controls.ProgressBar1 = ProgressBar1;
    controls.grdHotGrid = grdHotGrid;
    controls.Timer1 = Timer1;
    controls.Timer2 = Timer2;
    controls.setPanelText = setPanelText;
    controls.logEvent = logEvent;
    controls.makeWWW = [this] { makeWWW(); };
    m_schedule = new MonitorSchedule(std::move(controls), *m_pass, this);
}

QLabel *frmMain::statusPanel(int number) const
{
    return number >= 1 && number <= 3 ? m_panels[number - 1] : nullptr;
}

void frmMain::startUp()
{
    LoadWWWConfig();
    // The box still holds its design text "15" here.
    IntervalSec = IntervalText::seconds(Text1->text()).value_or(IntervalText::emptyBoxSeconds);
    ProgressBar1->setRange(0, static_cast<qint16>(IntervalSec * 50));
    Timer1->stop();
    Timer2->stop();
    LogEvent(QStringLiteral("Sentrovaを起動しました..."));
    m_mail->setOn(false);
    m_panels[0]->setText(programVersionText);
    const int panelWidthsTwips[3] = {1800, 3700, 2900};
    for (int i = 0; i < 3; ++i)
        m_panels[i]->setFixedWidth(twipsToPixels(panelWidthsTwips[i]));
    setUpGrid();
    Text1->setText(SettingsStore::read(QStringLiteral("Interval"), QStringLiteral("Sec"), QStringLiteral("60")));
    LoadHostList();
    LogEvent(QStringLiteral("Sentrova起動完了"));
}

void frmMain::setUpGrid()
{
    setUpHostColumns(*grdHotGrid);
}

void frmMain::LoadHostList()
{
    if (HostListFile::load(m_programFolder, *grdHotGrid))
        LogEvent(QStringLiteral("Sentrova環境設定ファイルをロードしました。"));
    else
        LogEvent(QStringLiteral("環境設定ファイルを読み取れません。"));
    LoadSMTPConfig();
}

void frmMain::LogEvent(const QString &whatHappened)
{
    m_log.LogEvent(whatHappened);
}

void frmMain::Notify(const QString &downSystem, std::function<void(bool accepted)> done)
{
    m_report->send(downSystem, std::move(done));
}

void frmMain::LoadSMTPConfig()
{
    m_mail->load();
}

void frmMain::SaveSMTPConfig()
{
    m_mail->save();
}

void frmMain::makeWWW()
{
    m_pageWriter.write(*grdHotGrid, m_www);
}

void frmMain::LoadWWWConfig()
{
    m_www.load();
}

void frmMain::cmdMonitorClicked()
{
    LoadWWWConfig();
    // An interval that cannot be used leaves IntervalSec and the bar as they
    // were: it refuses a start, and a stop needs neither.
    const std::optional<int> seconds = IntervalText::seconds(Text1->text());
    const bool intervalValid = IntervalText::isValid(seconds);
    if (intervalValid) {
        IntervalSec = *seconds;
        ProgressBar1->setRange(0, IntervalSec * MonitorSchedule::waitTicksPerSecond);
    }
    if (cmdMonitor->text() != QStringLiteral("開始")) {
        m_schedule->Stop();
        return;
    }
    if (!intervalValid) {
        MessageBox::show(this, QStringLiteral("監視間隔は1から65までの秒数を入力してください。"));
        return;
    }
    m_schedule->Start(IntervalSec);
}

void frmMain::Text1Changed(const QString &text)
{
    // Every keystroke is stored; the new interval takes effect at the next
    // press of the start/stop button.
    SettingsStore::write(QStringLiteral("Interval"), QStringLiteral("Sec"), text);
}

void frmMain::mnuSep1Clicked()
{
    showDialog(m_hostConfig, [this] {
        return new frmHostConfig(grdHotGrid, m_programFolder, [this](const QString &text) { LogEvent(text); });
    });
}

void frmMain::mnuWWWClicked()
{
    showDialog(m_wwwConfig, [this] { return new frmWWWConfig(m_www); });
}

void frmMain::mnuNotificationClicked()
{
    // A checkable item flips its mark on every click; the mark shows the
    // switch, not the clicks.
    mnuNotification->setChecked(isNotificationOn());
    showDialog(m_mailConfig, [this] {
        return new frmMailConfig(*m_mail, [this](const QString &downSystem, std::function<void(bool)> done) {
            Notify(downSystem, std::move(done));
        });
    });
}

void frmMain::menuHELPClicked()
{
    showDialog(m_help, [this] { return new frmHELP(this); });
}

void frmMain::mnuExitClicked()
{
    LogEvent(QStringLiteral("終了"));
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (m_ended)
        return;
    m_ended = true;
    LogEvent(QStringLiteral("Sentrovaが終了しました。"));
    // A probe or report under way is abandoned unrecorded.
    m_schedule->shutDown();
    if (sckMonitor->state() != ProbeSocket::Closed)
        sckMonitor->Close();
    Timer1->stop();
    Timer2->stop();
    closeDialogs();
    Q_EMIT programEnded();
}

void frmMain::closeDialogs()
{
    for (const QPointer<QWidget> &dialog : std::as_const(m_dialogs))
        delete dialog.data();
    m_dialogs.clear();
}
