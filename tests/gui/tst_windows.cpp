#include "TestFolder.h"

#include "core/Program.h"
#include "core/base/SettingsStore.h"
#include "gui/HelpText.h"
#include "gui/MainWindow.h"
#include "gui/common/FileDialog.h"
#include "gui/common/HostGridView.h"
#include "gui/common/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

// Each window's controls reach the core and show what it reports.
class TestWindows : public QObject
{
    Q_OBJECT

    TestFolder *m_folder = nullptr;
    std::unique_ptr<Program> m_program;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_boxes;

    template<typename T = QWidget>
    T *child(const char *name, QWidget *in = nullptr) { return (in ? in : m_window.get())->findChild<T *>(name); }
    // The window a menu item shows, found by its name.
    QWidget *open(const char *action, const char *window)
    {
        child<QAction>(action)->trigger();
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == window && widget->isVisible())
                return widget;
        return nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_folder = new TestFolder;
        m_folder->writeBytes("Sentrova.ini", "\"127.0.0.1\",\"1\"\r\n");
        m_folder->writeBytes("MailConfig.ini", "\"mx\",\"s@x\",\"a@x\",\"\",\"c@x\",\"\",\"\"\r\n");
        m_program = std::make_unique<Program>(m_folder->path());
        m_program->startUp();
        m_window = std::make_unique<MainWindow>(*m_program);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        MessageBox::setTestHook([this](const QString &text) { m_boxes.append(text); });
    }
    void cleanup()
    {
        MessageBox::setTestHook({});
        m_window.reset();
        m_program.reset();
        delete m_folder;
        m_boxes.clear();
    }

    void mainWindow()
    {
        auto *button = child<QPushButton>("startStopButton");
        auto *interval = child<QLineEdit>("intervalEdit");
        QCOMPARE(interval->text(), "60");
        QCOMPARE(child<QLabel>("notificationPanel")->text(), "障害通知オン");
        interval->clear();
        QTest::keyClicks(interval, "1x");
        QCOMPARE(SettingsStore::read("Interval", "Sec", {}), "1x");
        button->click();
        QCOMPARE(m_boxes, QStringList{"監視間隔は1から65までの秒数を入力してください。"});
        interval->setText("1");
        button->click();
        QCOMPARE(button->text(), "停止");
        QCOMPARE(child<QLabel>("hostPanel")->text(), "監視中...");
        QVERIFY(!child("hostGrid")->isEnabled());
        QTRY_COMPARE(child<QLabel>("hostPanel")->text(), "127.0.0.1");
        QTRY_VERIFY(child<QLabel>("lastPassLabel")->text().startsWith("前回監視時間: 20"));
        QCOMPARE(child<QLabel>("progressPanel")->text(), "サーバダウン");
        QVERIFY(child("hostGrid")->isEnabled());
        QTRY_VERIFY(child<QProgressBar>("progressBar")->value() > 0);
        QCOMPARE(child<QProgressBar>("progressBar")->maximum(), 50);
        button->click();
        QCOMPARE(button->text(), "開始");
        QCOMPARE(child<QProgressBar>("progressBar")->value(), 0);
        QCOMPARE(child<QLabel>("progressPanel")->text(), "サーバーの監視を停止しました。");

        // The check mark shows the switch, however often the item is chosen.
        QWidget *mail = open("notificationAction", "mailDialog");
        QVERIFY(mail && child<QAction>("notificationAction")->isChecked());
        QCOMPARE(open("notificationAction", "mailDialog"), mail);
        child<QPushButton>("disableButton", mail)->click();
        QVERIFY(!child<QAction>("notificationAction")->isChecked());
        QCOMPARE(child<QLabel>("notificationPanel")->text(), "");
        QSignalSpy ended(m_program.get(), &Program::ended);
        child<QAction>("exitAction")->trigger();
        QCOMPARE(ended.count(), 1);
        QCOMPARE(m_folder->logTail(2), QStringList({"終了", "Sentrovaが終了しました。"}));
    }

    void hostDialog()
    {
        QWidget *dialog = open("hostsAction", "hostDialog");
        QVERIFY(dialog);
        auto *presets = child<QComboBox>("portPresets", dialog);
        QCOMPARE(presets->currentText(), "お選びください");
        Q_EMIT presets->activated(6);
        QCOMPARE(child<QLineEdit>("portEdit", dialog)->text(), "443");
        child<QPushButton>("addButton", dialog)->click();
        QCOMPARE(m_boxes, QStringList{"IPアドレスが未入力です。"});
        child<QLineEdit>("addressEdit", dialog)->setText("mail");
        child<QPushButton>("addButton", dialog)->click();
        QCOMPARE(child<QLineEdit>("addressEdit", dialog)->text(), "");
        QCOMPARE(m_program->hosts().hosts().last(), (Host{"mail", "443", {}}));
        auto *grid = child<HostGridView>("hostGrid", dialog);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
        child<QPushButton>("deleteButton", dialog)->click();
        QCOMPARE(m_folder->readBytes("Sentrova.ini"), "\"mail\",\"443\"\r\n");
        QCOMPARE(m_program->hosts().rowCount(), 1);
    }

    void mailDialog()
    {
        QWidget *dialog = open("notificationAction", "mailDialog");
        QCOMPARE(child<QLineEdit>("recipientEdit3", dialog)->text(), "c@x");
        // Typing into a box replaces its value: the focus selects all of it.
        auto *sender = child<QLineEdit>("senderEdit", dialog);
        QTest::mouseClick(sender, Qt::LeftButton, {}, QPoint(5, sender->height() / 2));
        QTRY_COMPARE(sender->selectedText(), "s@x");
        child<QLineEdit>("serverEdit", dialog)->clear();
        child<QPushButton>("okButton", dialog)->click();
        QCOMPARE(m_boxes, QStringList{"必要なパラメータがありません!"});
        child<QLineEdit>("serverEdit", dialog)->setText("mx2");
        child<QPushButton>("okButton", dialog)->click();
        QVERIFY(m_folder->readBytes("MailConfig.ini").startsWith("\"mx2\""));
        QTRY_VERIFY(!dialog->isVisible());
    }

    void statusPageDialog()
    {
        SettingsStore::write("wwwroot", "file", "status.htm");
        SettingsStore::write("wwwroot", "enable", "True");
        QWidget *dialog = open("statusPageAction", "statusPageDialog");
        QVERIFY(child<QCheckBox>("enabledCheck", dialog)->isChecked());
        QCOMPARE(child<QLineEdit>("folderEdit", dialog)->text(), StatusPageSettings::defaultFolder());
        QTest::keyClicks(child<QLineEdit>("pageEdit", dialog), "l");
        QCOMPARE(SettingsStore::read("wwwroot", "file", {}), "status.html");
        QCOMPARE(SettingsStore::read("wwwroot", "dir", {}), StatusPageSettings::defaultFolder());
        child<QCheckBox>("enabledCheck", dialog)->click();
        QCOMPARE(SettingsStore::read("wwwroot", "enable", {}), "False");
        // A browse takes the chosen file's folder; a cancel applies the last choice again.
        QStringList choices{QDir::toNativeSeparators("/srv/www/x.htm"), "", "x.htm"};
        FileDialog::setTestHook([&choices] { return choices.takeFirst(); });
        for (int i = 0; i < 3; ++i)
            child<QPushButton>("browseButton", dialog)->click();
        FileDialog::setTestHook({});
        QCOMPARE(SettingsStore::read("wwwroot", "dir", {}), QDir::toNativeSeparators("/srv/www/"));
        QCOMPARE(m_boxes, QStringList{"何かファイルを選んでください。"});
    }

    void helpWindow()
    {
        const QStringList lines = HelpText::lines();
        QCOMPARE(lines.last(), "以上");
        for (const char *heading : {"【ソフト紹介】", "【設定手順】", "１．ホストの登録", "４．監視の開始"})
            QVERIFY2(lines.contains(QString::fromUtf8(heading)), heading);
        QPointer<QWidget> help = open("helpAction", "helpWindow");
        QVERIFY(help);
        child<QPushButton>("closeButton", help)->click();
        QTRY_VERIFY(!help);
        QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
    }

    void withoutDisplay()
    {
        QProcess program;
        program.setProcessEnvironment(QProcessEnvironment());
        program.start(SENTROVA_EXECUTABLE, QStringList());
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(QString::fromUtf8(program.readAllStandardError()).startsWith("sentrova: グラフィカルなデスクトップが必要です"));
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
