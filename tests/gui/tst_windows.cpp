#include "DataRows.h"
#include "FakeSmtpServer.h"
#include "TestCertificates.h"
#include "TestFolder.h"

#include "core/Program.h"
#include "core/base/SettingsStore.h"
#include "gui/MainWindow.h"
#include "gui/common/Appearance.h"
#include "gui/common/DisplayCheck.h"
#include "gui/common/FileDialog.h"
#include "gui/common/HostGridView.h"
#include "gui/common/MessageBox.h"
#include "gui/desktop/Keyring.h"

#include <QtTest>
#include <QtWidgets>
#include <QLocalServer>

#include <unistd.h>

// Puts an icon on every dialog button, as the styles of some desktops do.
struct ButtonIconStyle : QProxyStyle {
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *data) const override
    { return hint == SH_DialogButtonBox_ButtonsHaveIcons || QProxyStyle::styleHint(hint, option, widget, data); }
};

// Each window's controls reach the core, and each shows what the core reports.
class TestWindows : public QObject
{
    Q_OBJECT

    const TestCertificates m_certificates;
    std::unique_ptr<TestFolder> m_folder;
    std::optional<TrustedCa> m_trusted;   // before any socket is made
    std::unique_ptr<Program> m_program;
    std::unique_ptr<MainWindow> m_window;
    QStringList m_boxes;

    template<typename T = QWidget>
    T *find(const char *name, QWidget *in = nullptr) { return (in ? in : m_window.get())->findChild<T *>(name); }
    QWidget *open(const char *action, const char *window)   // the window a menu item shows
    {
        find<QAction>(action)->trigger();
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (widget->objectName() == window && widget->isVisible())
                return widget;
        return nullptr;
    }
    void press(const char *button, QWidget *in = nullptr, const QList<std::pair<const char *, QString>> &fields = {})
    {
        for (const auto &[name, text] : fields)
            find<QLineEdit>(name, in)->setText(text);
        find<QAbstractButton>(button, in)->click();
    }
    // What a window says: its title, then its controls' and menus' texts in order.
    static QStringList textsOf(QWidget *window)
    {
        QStringList texts{window->windowTitle()};
        for (QObject *child : window->findChildren<QObject *>()) {
            if ((child->inherits("QLabel") && !child->inherits("StatusPanel")) || child->inherits("QAbstractButton") || child->inherits("QAction"))
                texts.append(child->property("text").toString());
            else if (auto *frame = qobject_cast<QGroupBox *>(child))
                texts.append(frame->title());
            else if (auto *list = qobject_cast<QComboBox *>(child))
                for (int i = 0; i < list->count(); ++i)
                    texts.append(list->itemText(i));
            else if (auto *grid = qobject_cast<QTableView *>(child))
                for (int column = 0; column < grid->model()->columnCount(); ++column)
                    texts.append(grid->model()->headerData(column, Qt::Horizontal).toString());
            else if (auto *help = qobject_cast<QPlainTextEdit *>(child))   // reviewed as a whole
                texts.append(QCryptographicHash::hash(help->toPlainText().toUtf8(), QCryptographicHash::Sha256).toHex().left(12));
        }
        texts.removeAll(QString());
        return texts;
    }

    void startAgain()
    {
        m_window.reset();
        m_program = std::make_unique<Program>(m_folder->path());
        m_program->startUp();
        m_window = std::make_unique<MainWindow>(*m_program);
    }

private Q_SLOTS:
    void init()
    {
        m_trusted.emplace(m_certificates.ca);
        m_folder = std::make_unique<TestFolder>();
        m_folder->writeBytes("Sentrova.ini", "\"127.0.0.1\",\"1\"\r\n");
        m_folder->writeBytes("MailConfig.ini", "mx,s@x,a@x,,c@x,,");
        Appearance::install();   // as the program does before its first window
        startAgain();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        MessageBox::setTestHook([this](const QString &text) { m_boxes.append(text); });
    }
    void cleanup()
    {
        MessageBox::setTestHook({});
        m_window.reset();
        m_program.reset();
        m_boxes.clear();
    }

    // Each window's texts, the order Tab takes through its controls, and where it opens.
    void texts_data()
    {
        columns<QString, QString, QStringList, QStringList>("action", "window", "texts", "tabs");
        QTest::newRow("main") << "" << "mainWindow" << QStringList{"サーバー監視ユーティリティ", "サーバー監視間隔", "秒", "前回監視時間", "開始",
            "IPアドレス", "ポート番号", "状態", "環境設定", "ホスト設定", "WWW設定", "障害通知", "イベントログ", "トレイアイコン", "デスクトップ通知",
            "ヘルプ", "終了"} << QStringList{"intervalEdit", "startStopButton", "hostGrid"};
        QTest::newRow("hosts") << "hostsAction" << "hostDialog" << QStringList{"ホスト登録", "IPアドレス", "ポート番号", "WWW   (80)", "FTP   (21)",
            "TELNET  (23)", "SMTP  (25)", "DNS   (53)", "POP3 (110)", "IMAP (443)", "お選びください", "IPアドレス", "ポート番号", "状態", "ホスト追加",
            "リスト削除", "設定終了"} << QStringList{"addressEdit", "portPresets", "addButton", "deleteButton", "portEdit", "closeButton", "hostGrid"};
        QTest::newRow("mail") << "notificationAction" << "mailDialog" << QStringList{"Sentrova 環境設定", "メール設定", "SMTPサーバー",
            "送信者のアドレス", "送信サーバーの詳細...", "受信者", "受信者1", "受信者2", "受信者3", "受信者4", "受信者5", "状態が変わったときだけ報告する", "送信を停止する", "テスト送信", "設定終了"}
            << QStringList{"serverEdit", "serverDetailsButton", "senderEdit", "recipientEdit1", "okButton", "testButton", "disableButton", "recipientEdit2",
                           "recipientEdit3", "recipientEdit4", "recipientEdit5", "onChangeCheck"};
        QTest::newRow("status page") << "statusPageAction" << "statusPageDialog" << QStringList{"WWW設定", "WWWルート", "WWWページの作成",
            "ページタイプ", "Iモード", "ページ名", "WWWルート", "参照", "設定終了"}
            << QStringList{"enabledCheck", "pageTypeCombo", "pageEdit", "folderEdit", "browseButton", "closeButton"};
        QTest::newRow("help") << "helpAction" << "helpWindow" << QStringList{"HELP", "474ed8f99b85", "閉じる"} << QStringList{"helpText", "closeButton"};
    }
    void texts()
    {
        auto [action, window, texts, tabs] = fetch<QString, QString, QStringList, QStringList>("action", "window", "texts", "tabs");
        QWidget *shown = action.isEmpty() ? m_window.get() : open(qPrintable(action), qPrintable(window));
        QCOMPARE(textsOf(shown), texts);
        QStringList tabbed;   // the controls Tab moves through, in order
        for (QWidget *next = shown->nextInFocusChain(); next != shown; next = next->nextInFocusChain())
            if ((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(shown) && !next->objectName().isEmpty())
                tabbed.append(next->objectName());
        QCOMPARE(tabbed, tabs);
        QVERIFY((shown->geometry().center() - m_window->geometry().center()).manhattanLength() <= 4);   // centred over the main window
    }

    void mainWindow()
    {
        auto *button = find<QPushButton>("startStopButton");
        QCOMPARE(find<QLineEdit>("intervalEdit")->text(), "60");
        QVERIFY(!find<QProgressBar>("progressBar")->isTextVisible());
        QTest::keyClicks(find<QLineEdit>("intervalEdit"), "x");
        QCOMPARE(TestFolder::setting("Interval/Sec"), "60x");
        button->click();
        QCOMPARE(m_boxes, QStringList{"監視間隔は1から65までの秒数を入力してください。"});
        QStringList atTheEnd;   // a pass's end shows its last texts at once, however fast it ran
        connect(&m_program->schedule(), &MonitorSchedule::stateChanged, this, [&](MonitorSchedule::State state) {
            if (state != MonitorSchedule::State::Passing)
                atTheEnd << find<QLabel>("hostPanel")->text() + u' ' + find<QLabel>("progressPanel")->text();
        });
        press("startStopButton", nullptr, {{"intervalEdit", "1"}});
        Q_EMIT m_program->schedule().progressTextChanged("x");   // while a pass runs, a text waits for the panel's next 40 ms
        QCOMPARE(button->text() + u' ' + find<QLabel>("hostPanel")->text() + u'|' + find<QLabel>("progressPanel")->text(), "停止 監視中...|");
        QVERIFY(!find("hostGrid")->isEnabled());
        QTRY_VERIFY(find<QLabel>("lastPassLabel")->text().startsWith("前回監視時間: 20"));
        QCOMPARE(atTheEnd.value(0), "127.0.0.1 サーバダウン");
        QTRY_COMPARE(find<QTableView>("hostGrid")->currentIndex().row(), 0);   // the grid follows within 40 ms
        QVERIFY(find("hostGrid")->isEnabled());
        QTRY_VERIFY(find<QProgressBar>("progressBar")->value() > 0);
        const auto trayMark = [this] { return m_window->findChild<QSystemTrayIcon *>()->icon().pixmap(32).toImage().pixelColor(23, 23); };
        QCOMPARE(trayMark(), QColor(215, 40, 40));   // red while a host is down, grey once stopped
        button->click();
        QCOMPARE(button->text() + u' ' + QString::number(find<QProgressBar>("progressBar")->value()), "開始 0");
        QCOMPARE(trayMark(), QColor(150, 150, 150));
        // A down row is tinted; a cell cut off shows its whole text as a tooltip.
        auto *grid = find<QTableView>("hostGrid");
        m_program->hosts().add(QString(80, 'h'), "80");
        grid->clearSelection();
        const QRect down = grid->visualRect(grid->model()->index(0, 0)), cut = grid->visualRect(grid->model()->index(1, 0));
        QCOMPARE(grid->viewport()->grab().toImage().pixelColor(down.right() - 3, down.center().y()), QColor(255, 214, 214));
        QHelpEvent help(QEvent::ToolTip, cut.center(), grid->viewport()->mapToGlobal(cut.center()));
        QApplication::sendEvent(grid->viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QString(80, 'h'));

        QCOMPARE(QApplication::font().toString().section(u',', 0, 1), "ＭＳ Ｐゴシック,9");
        QCOMPARE(QFont::substitutes(QApplication::font().family()), QStringList({"ipapgothic", "noto sans cjk jp"}));
        QCOMPARE(m_window->windowIcon().availableSizes().size(), 7);
        // The check mark and the panel show the switch, however often the item is chosen; while off, no empty box is drawn beside it.
        QCOMPARE(find<QLabel>("notificationPanel")->text(), "障害通知オン");
        QWidget *mail = open("notificationAction", "mailDialog");
        QCOMPARE(open("notificationAction", "mailDialog"), mail);
        QVERIFY(find<QAction>("notificationAction")->isChecked());
        press("disableButton", mail);
        QVERIFY(!find<QAction>("notificationAction")->isCheckable());
        QCOMPARE(find<QLabel>("notificationPanel")->text(), "");
        find<QAction>("exitAction")->trigger();
        QCOMPARE(m_folder->logTail(2), QStringList({"終了", "Sentrovaが終了しました。"}));
    }

    // The main window and host dialog grow from their design size, the grid taking the room; the size comes back; the switches are stored.
    void growAndSwitches()
    {
        QPointer<QWidget> dialog = open("hostsAction", "hostDialog");
        // control: how it moves (x, y) and grows (width, height) when its window gains 200 by 150
        const QList<std::tuple<QWidget *, const char *, QRect>> anchors{{m_window.get(), "hostGrid", {0, 0, 200, 150}},
            {m_window.get(), "startStopButton", {200, 0, 0, 0}}, {m_window.get(), "intervalEdit", {}},
            {m_window.get(), "progressBar", {0, 150, 200, 0}}, {m_window.get(), "statusBar", {0, 150, 200, 0}},
            {dialog, "hostGrid", {0, 0, 200, 150}}, {dialog, "closeButton", {0, 150, 0, 0}}, {dialog, "portEdit", {}}};
        QList<QRect> before;
        for (const auto &[window, name, change] : anchors)
            before.append(find(name, window)->geometry());
        for (QWidget *window : {static_cast<QWidget *>(m_window.get()), dialog.data()}) {
            QCOMPARE(window->minimumSize(), window->size());
            window->resize(window->size() + QSize(200, 150));
        }
        for (qsizetype i = 0; i < anchors.size(); ++i) {
            const auto &[window, name, change] = anchors[i];
            QTRY_COMPARE(find(name, window)->geometry(), before[i].translated(change.topLeft()).adjusted(0, 0, change.width(), change.height()));
        }
        for (const char *item : {"trayIconAction", "desktopNoticesAction"}) {
            QVERIFY(find<QAction>(item)->isChecked());
            find<QAction>(item)->trigger();
        }
        QCOMPARE(TestFolder::setting("Desktop/TrayIcon") + TestFolder::setting("Desktop/Notifications"), "FalseFalse");
        const QSize grown = m_window->size();
        m_window->close();
        QVERIFY(!dialog);   // the other windows close with it
        MainWindow again(*m_program);
        QCOMPARE(again.size(), grown);
        QVERIFY(!again.findChild<QAction *>("trayIconAction")->isChecked());
    }

    // Under our own notification server (notifications_e2e.py): one notice a pass that changed something; a click brings the window forward.
    void desktopNotices()
    {
        const QString received = qEnvironmentVariable("SENTROVA_NOTICES");
        if (received.isEmpty())
            QSKIP("needs the notification server of notifications_e2e.py");
        QSignalSpy passes(&m_program->schedule(), &MonitorSchedule::passFinished);
        m_window->showMinimized();
        press("startStopButton", nullptr, {{"intervalEdit", "1"}});
        QVERIFY(passes.wait(5000));
        QTRY_VERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QVERIFY(passes.wait(5000));   // the host stays down: no second notice
        find<QAction>("desktopNoticesAction")->trigger();
        m_program->hosts().setStatus(0, "");   // found down again, but notices are off
        QVERIFY(passes.wait(5000));
        QCOMPARE(QString::fromUtf8(m_folder->readBytes(received)),
                 "[\"Sentrova\", \"sentrova\", \"ホストの状態が変わりました\", \"ダウン: 127.0.0.1\", [\"default\", \"表示\"]]\n");
    }

    // The server's details: the usual port follows the encryption, a bad port is refused, OK stores the account and the sender signs in
    // with the password. Under keyring_e2e.sh that is in the keyring, read back at the next start and in no file; elsewhere no keyring is said.
    void mailServer()
    {
        const QByteArray password = "Sentrova-pw-" + QByteArray::number(::getpid());
        QWidget *mail = open("notificationAction", "mailDialog");
        press("serverDetailsButton", mail);
        QPointer<QWidget> details = mail->findChild<QWidget *>("mailServerDialog");
        QCOMPARE(textsOf(details), QStringList({"送信サーバーの詳細", "なし", "STARTTLS", "SSL/TLS", "ポート番号", "暗号化", "ユーザー名", "パスワード", "OK", "キャンセル"}));
        auto *port = find<QLineEdit>("portEdit", details);
        auto *security = find<QComboBox>("securityCombo", details);
        QCOMPARE(port->text() + security->currentText() + find<QLineEdit>("userEdit", details)->text(), "25なし");
        QCOMPARE(find<QLineEdit>("passwordEdit", details)->placeholderText(), "変更しないときは空のまま");
        QStringList ports;
        for (int choice : {1, 2, 0})
            security->setCurrentIndex(choice), ports.append(port->text());
        port->setText("2525");
        security->setCurrentIndex(1);
        QCOMPARE(ports << port->text(), QStringList({"587", "465", "25", "2525"}));
        press("okButton", details, {{"portEdit", "0"}});
        QCOMPARE(m_boxes, QStringList{"ポート番号は1から65535までの数で入力してください。"});
        press("okButton", details, {{"portEdit", "587"}, {"userEdit", " ops "}, {"passwordEdit", password}});
        QVERIFY(!details->isEnabled());   // while the keyring answers
        QTRY_VERIFY(!details);
        QCOMPARE(TestFolder::setting("Smtp/Port") + TestFolder::setting("Smtp/Security") + TestFolder::setting("Smtp/User"), "587StartTlsops");
        const bool keyring = qEnvironmentVariableIsSet("SENTROVA_KEYRING");
        const QString noKeyring = "パスワードを保存できません (キーリングが利用できません)。";
        QCOMPARE(m_boxes.mid(1), keyring ? QStringList() : QStringList{noKeyring});
        QCOMPARE(m_folder->logTail(1).contains(noKeyring), !keyring);

        FakeSmtpServer server;
        server.tls = m_certificates.server;
        server.replies["EHLO"] = {"250-fake.test\r\n250-STARTTLS\r\n250 AUTH PLAIN\r\n"};
        SettingsStore::setText(Setting::SmtpPort, QString::number(server.port()));
        press("testButton", mail, {{"serverEdit", "localhost"}});
        const QByteArray signIn = "AUTH PLAIN " + ('\0' + QByteArray("ops") + '\0' + password).toBase64();
        QTRY_COMPARE(server.sessions.value(0).commands.value(3), signIn);
        startAgain();   // the password is read from the keyring at start
        QTRY_COMPARE(m_folder->logTail(1).contains("パスワードを読み出せません (キーリングが利用できません)。"), !keyring);
        if (!keyring)
            return;
        bool read = false;   // the keyring answers in turn: the window's read is over before this one
        Keyring::read("ops", this, [&read, &password](const Keyring::Read &stored) { read = stored.password == password; });
        QTRY_VERIFY(read);
        m_program->mail().sendTest({"localhost", "s@x", {"c@x"}});
        QTRY_COMPARE(server.sessions.value(1).commands.value(3), signIn);
        for (const QString &folder : {m_folder->path(), qEnvironmentVariable("HOME"), QFileInfo(TestFolder::settingsFile()).path()})
            for (QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); files.hasNext();)
                QVERIFY2(!m_folder->readBytes(files.next()).contains(password), qPrintable(files.filePath()));
    }

    void hostDialog()
    {
        QPointer<QWidget> dialog = open("hostsAction", "hostDialog");
        auto *presets = find<QComboBox>("portPresets", dialog);
        auto *grid = find<HostGridView>("hostGrid", dialog);
        QCOMPARE(presets->currentText() + u' ' + dialog->focusWidget()->objectName(), "お選びください addressEdit");
        QVERIFY(!grid->currentIndex().isValid());   // no row looks picked until one is
        QStringList ports;   // each entry gives the port its label names; the prompt changes nothing
        for (int i = 0; i < presets->count(); ++i)
            Q_EMIT presets->activated(i), ports.append(find<QLineEdit>("portEdit", dialog)->text());
        QTest::keyClicks(presets->lineEdit(), "9\r");   // the list's own field takes typing, but no entry; the port box keeps the port
        QVERIFY(presets->currentText().endsWith(u'9') && presets->count() == 8);
        QCOMPARE(ports << find<QLineEdit>("portEdit", dialog)->text(), QStringList({"80", "21", "23", "25", "53", "110", "443", "443", "443"}));
        press("addButton", dialog, {{"addressEdit", "mail"}});
        QCOMPARE(find<QLineEdit>("addressEdit", dialog)->text(), "");
        // A click on the header row picks no host; a click on a host's row does.
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
        QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        press("deleteButton", dialog);
        QCOMPARE(m_boxes, QStringList{"ホスト名を選択してから削除してください。"});
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 0)).center());
        press("deleteButton", dialog);
        QCOMPARE(m_program->hosts().hosts(), QList<Host>{(Host{"mail", "443", {}})});
        QTRY_VERIFY(!grid->currentIndex().isValid());   // a delete asks for a new pick
        for (int i = 0; i < 40; ++i)   // each new row is scrolled into view
            press("addButton", dialog, {{"addressEdit", QString::number(i)}});
        QTRY_VERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->model()->index(40, 0))));
        QTest::keyClick(grid, Qt::Key_Down);   // a row picked with the keyboard
        press("deleteButton", dialog);
        QCOMPARE(m_program->hosts().hosts().first().address, "0");
        press("closeButton", dialog);
        QTRY_VERIFY(!dialog);   // closed, and gone
    }

    // The window reads the file as it opens; the test saves what was entered and keeps the window open, OK saves and closes it.
    void mailDialog()
    {
        FakeSmtpServer server;
        SettingsStore::setText(Setting::SmtpPort, QString::number(server.port()));
        m_folder->writeBytes("MailConfig.ini", "127.0.0.1,s@x,r1@x,r2@x,r3@x,r4@x,r5@x");
        SettingsStore::setOn(Setting::ReportOnChange, true);
        QWidget *dialog = open("notificationAction", "mailDialog");
        QVERIFY(find<QCheckBox>("onChangeCheck", dialog)->isChecked());   // as stored
        QCOMPARE(find<QLineEdit>("recipientEdit4", dialog)->text(), "r4@x");   // what the test saves shows the other fields as read
        QTest::keyClick(find<QLineEdit>("serverEdit", dialog), Qt::Key_Return);   // no button is the default
        QVERIFY(dialog->isVisible() && m_program->mail().isOn() && !dialog->findChild<QDialog *>("mailServerDialog"));
        press("testButton", dialog, {{"recipientEdit4", ""}});
        QTRY_COMPARE(m_boxes, QStringList{"メッセージを送信しました。!"});
        QCOMPARE(m_folder->logTail(1), QStringList{"システムテストサーバー障害の報告を行いました。 "});
        QCOMPARE(server.sessions.at(0).commands.mid(3, 4), QList<QByteArray>({"RCPT TO:<r1@x>", "RCPT TO:<r2@x>", "RCPT TO:<r3@x>", "RCPT TO:<r5@x>"}));
        QVERIFY(dialog->isVisible());
        QCOMPARE(m_folder->readBytes("MailConfig.ini"), "\"127.0.0.1\",\"s@x\",\"r1@x\",\"r2@x\",\"r3@x\",\"\",\"r5@x\"\r\n");
        press("okButton", dialog, {{"serverEdit", "mx2"}});
        QCOMPARE(m_folder->readBytes("MailConfig.ini"), "\"mx2\",\"s@x\",\"r1@x\",\"r2@x\",\"r3@x\",\"\",\"r5@x\"\r\n");
        QTRY_VERIFY(!dialog->isVisible());
        QCOMPARE(server.sessions.size(), 1);
    }

    void statusPageDialog()
    {
        // The box is ticked only for the exact "True"; the page stops only for the exact "False".
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Sentrova", "Sentrova").setValue("wwwroot/enable", "true");
        QWidget *dialog = open("statusPageAction", "statusPageDialog");
        QVERIFY(!find<QCheckBox>("enabledCheck", dialog)->isChecked() && m_program->pageSettings().pageEnabled());
        QTest::keyClicks(find<QLineEdit>("pageEdit", dialog), "x");
        QTest::keyClicks(find<QLineEdit>("folderEdit", dialog), "y");
        find<QCheckBox>("enabledCheck", dialog)->click();
        QCOMPARE(QStringList({TestFolder::setting("wwwroot/file"), TestFolder::setting("wwwroot/dir"), TestFolder::setting("wwwroot/enable")}),
                 QStringList({"index.htmlx", "/var/www/htmly", "True"}));
        // 参照 opens the folder dialog at the field's folder or the nearest that exists; a cancel changes nothing and shows nothing,
        // also after a pick; a folder chosen is stored.
        press("browseButton", dialog, {{"folderEdit", m_folder->filePath("missing/deeper")}});
        QPointer<QFileDialog> folders = dialog->findChild<QFileDialog *>();
        QCOMPARE(folders->findChild<QLabel *>("lookInLabel")->text(), "アドレス:");
        QCOMPARE(folders->directory().absolutePath(), QDir(m_folder->path()).absolutePath());
        QVERIFY(folders->isVisible() && folders->fileMode() == QFileDialog::Directory);
        folders->selectFile(m_folder->path());
        folders->reject();
        QTRY_VERIFY(!folders);
        QCOMPARE(TestFolder::setting("wwwroot/dir"), m_folder->filePath("missing/deeper"));
        FileDialog::setTestHook([] { return QString("/srv/www"); });
        find<QPushButton>("browseButton", dialog)->click();
        FileDialog::setTestHook({});
        QCOMPARE(TestFolder::setting("wwwroot/dir"), "/srv/www");
        QVERIFY(m_boxes.isEmpty());
    }

    // The log window shows the last 5,000 lines decoded, and follows the log while open. Help gives way to the main window, when
    // another window takes the focus from it and when it closes. A message box has only the text and OK, even where the style puts
    // icons on dialog buttons; a page that keeps failing has one box waiting, not one a pass; mail messages show over the mail window.
    void logHelpAndMessageBoxes()
    {
        QByteArray lines;
        for (int i = 0; i < 6000; ++i)
            lines += cp932(QStringLiteral("2026/12/07 9:00:00   行%1\r\n").arg(i));
        m_folder->writeBytes("Sentrova.Log", lines);
        QWidget *window = open("logAction", "logWindow");
        auto *text = find<QPlainTextEdit>("logText", window);
        QCOMPARE(QStringList({window->windowTitle(), find<QPushButton>("folderButton", window)->text(), QString::number(text->blockCount()),
                              text->document()->firstBlock().text()}), QStringList({"イベントログ", "フォルダを開く", "5000", "2026/12/07 9:00:00   行1000"}));
        m_program->log().write("追記");
        QTRY_VERIFY(text->document()->lastBlock().text().endsWith("   追記"));
        QFile::remove(m_folder->filePath("Sentrova.Log"));   // a log begun anew while the window is open
        QTRY_VERIFY(text->toPlainText().isEmpty());
        m_program->log().write("新しい行");
        QTRY_VERIFY(text->blockCount() == 1 && text->toPlainText().endsWith("   新しい行"));
        find<QPushButton>("closeButton", window)->click();
        QVERIFY(!window->isVisible());
        QPointer<QWidget> help = open("helpAction", "helpWindow");
        QTRY_COMPARE(QApplication::activeWindow(), help.data());
        open("hostsAction", "hostDialog");
        QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
        m_window->setWindowState(Qt::WindowMinimized);
        find<QPushButton>("closeButton", help)->click();
        QVERIFY(!m_window->isMinimized());
        QTRY_VERIFY(!help);
        QTRY_COMPARE(QApplication::activeWindow(), m_window.get());
        QApplication::setStyle(new ButtonIconStyle);
        MessageBox::setTestHook({});
        for (const char *reason : {"a", "b"})
            Q_EMIT m_program->pageWriter().failed(reason);
        QCOMPARE(m_window->findChildren<QMessageBox *>().size(), 1);
        QWidget *mail = open("notificationAction", "mailDialog");
        Q_EMIT m_program->mail().userMessage("c");
        QPointer<QMessageBox> box = mail->findChild<QMessageBox *>();
        QVERIFY(box->text() == "c" && box->icon() == QMessageBox::NoIcon && box->button(QMessageBox::Ok)->icon().isNull() && box->windowTitle() == "Sentrova");
        box->button(QMessageBox::Ok)->click();
        QTRY_VERIFY(!box);   // gone once closed
    }

    // A compositor's socket in the runtime folder is a display, also when its check gets descriptor 0 (started without standard input).
    void displayCheck()
    {
        QLocalServer compositor;
        QVERIFY(compositor.listen(m_folder->filePath("wayland-t")));
        qunsetenv("QT_QPA_PLATFORM");   // read once, at the application's start
        qunsetenv("DISPLAY");
        qputenv("XDG_RUNTIME_DIR", m_folder->path().toLocal8Bit());
        qputenv("WAYLAND_DISPLAY", "wayland-t");
        const int input = ::dup(0);
        ::close(0);
        const bool found = DisplayCheck::hasDisplay();
        ::dup2(input, 0);
        QVERIFY(found);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
