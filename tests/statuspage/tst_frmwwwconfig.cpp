#include "app/frmMain.h"
#include "platform/FileDialog.h"
#include "platform/SettingsStore.h"
#include "platform/TextCodec.h"
#include "statuspage/WwwSettings.h"
#include "statuspage/frmWWWConfig.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

namespace
{
QString stored(const QString &key) { return SettingsStore::read("wwwroot", key, "<none>"); }

QStringList storedKeys()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Sentrova", "Sentrova").allKeys();
}

// The window over a fresh store, its controls by name.
struct Rig
{
    TestFolder folder;
    WwwSettings copies;
    std::unique_ptr<frmWWWConfig> window;
    void open() { window = std::make_unique<frmWWWConfig>(copies); }
    QLineEdit *page() { return window->findChild<QLineEdit *>("Text1"); }
    QLineEdit *dir() { return window->findChild<QLineEdit *>("Text2"); }
    QCheckBox *enable() { return window->findChild<QCheckBox *>("WWWEnable"); }
    void browse() { QTest::mouseClick(window->findChild<QPushButton *>("Command2"), Qt::LeftButton); }
};
}

class TestFrmWWWConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Opening shows the stored texts, refreshes the writer's on/off copy and
    // stores nothing; the box is ticked only for the exact text "True".
    void loadShowsStoredTexts_data()
    {
        QTest::addColumn<QString>("enable");   // null: nothing stored at all
        QTest::addColumn<bool>("ticked");
        QTest::newRow("nothing stored") << QString() << false;
        QTest::newRow("True") << "True" << true;
        QTest::newRow("true") << "true" << false;
        QTest::newRow("1") << "1" << false;
    }
    void loadShowsStoredTexts()
    {
        QFETCH(QString, enable);
        QFETCH(bool, ticked);
        Rig rig;
        if (!enable.isNull()) {
            SettingsStore::write("wwwroot", "file", "status.htm");
            SettingsStore::write("wwwroot", "dir", "/srv/www");
            SettingsStore::write("wwwroot", "enable", enable);
        }
        const QStringList keysBefore = storedKeys();
        rig.copies.wwwEnabled = "stale";
        rig.open();
        QCOMPARE(rig.page()->text(), enable.isNull() ? "index.html" : "status.htm");
        QCOMPARE(rig.dir()->text(), enable.isNull() ? WwwSettings::defaultFolder() : "/srv/www");
        QCOMPARE(rig.enable()->isChecked(), ticked);
        // The writer follows the text itself: "true" keeps the page on.
        QCOMPARE(rig.copies.wwwEnabled, enable.isNull() ? "False" : enable);
        QCOMPARE(storedKeys(), keysBefore);
    }

    void changesStoredAtOnce()
    {
        Rig rig;
        rig.open();
        QTest::mouseClick(rig.enable(), Qt::LeftButton, {}, QPoint(4, rig.enable()->height() / 2));
        QCOMPARE(stored("enable"), "True");
        rig.enable()->click();
        QCOMPARE(stored("enable"), "False");
        QCOMPARE(rig.copies.wwwEnabled, "False");   // changes only when the window is loaded
        // Every keystroke stores both texts, as typed.
        QTest::keyClicks(rig.dir(), " x");
        QCOMPARE(stored("dir"), WwwSettings::defaultFolder() + " x");
        QCOMPARE(stored("file"), "index.html");
    }

    // The folder of the chosen file, its separator included, with the
    // platform's dialog answered by a test hook, one answer a click.
    void browse_data()
    {
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QString>("folder");   // empty: the box keeps its text and a message asks for a file
        const QString file = QDir::toNativeSeparators("/var/www/html/default.htm");
        const QString html = QDir::toNativeSeparators("/var/www/html/");
        QTest::newRow("chosen file") << QStringList{file} << html;
        QTest::newRow("file at the root") << QStringList{QDir::toNativeSeparators("/x.txt")} << QString(QDir::separator());
        QTest::newRow("cancelled at once") << QStringList{""} << QString();
        QTest::newRow("cancel applies the earlier choice again") << QStringList{file, ""} << html;
        QTest::newRow("name without separator") << QStringList{"x.txt"} << QString();
    }
    void browse()
    {
        QFETCH(QStringList, choices);
        QFETCH(QString, folder);
        Rig rig;
        SettingsStore::write("wwwroot", "file", "page.htm");
        rig.open();
        rig.dir()->setText("before");
        FileDialog::setTestHook([choices, next = 0]() mutable { return choices.value(next++); });
        for (qsizetype i = 0; i < choices.size(); ++i) {
            rig.browse();
            if (i + 1 < choices.size())
                rig.dir()->setText("between");
        }
        FileDialog::setTestHook({});
        QCOMPARE(rig.folder.takeMessageBoxes(),
                 folder.isEmpty() ? QStringList{"何かファイルを選んでください。"} : QStringList());
        const QString expected = folder.isEmpty() ? QStringLiteral("before") : folder;
        QCOMPARE(rig.dir()->text(), expected);
        QCOMPARE(stored("dir"), expected);
        QCOMPARE(stored("file"), "page.htm");
    }

    // The real dialog, answered without a nested event loop.
    void browseWithThePlatformDialog()
    {
        Rig rig;
        rig.folder.writeBytes("default.htm", "x");
        rig.open();
        rig.window->show();
        rig.browse();
        auto *dialog = rig.window->findChild<QFileDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        dialog->selectFile(rig.folder.filePath("default.htm"));
        static_cast<QDialog *>(dialog)->accept();
        QCOMPARE(rig.dir()->text(), QDir::toNativeSeparators(rig.folder.path()) + QDir::separator());
    }

    // The main window writes the page from its grid with the settings as last
    // loaded: off at start-up here, on once the settings window has opened.
    void mainWindowWritesWithLoadedSettings()
    {
        TestFolder folder;
        SettingsStore::write("wwwroot", "dir", QDir::toNativeSeparators(folder.path()));
        SettingsStore::write("wwwroot", "file", "status.htm");
        folder.writeBytes("Sentrova.ini", "\"10.0.0.5\",\"80\"\r\n\"db\",\"5432\"\r\n");
        frmMain window(folder.path());
        SettingsStore::write("wwwroot", "enable", "True");
        window.makeWWW();
        QVERIFY(!QFile::exists(folder.filePath("status.htm")));
        window.findChild<QAction *>("mnuWWW")->trigger();
        window.makeWWW();
        QVERIFY(TextCodec::decode(folder.readBytes("status.htm"))
                    .contains("<tr><td>10.0.0.5</td><td>80</td><td></td></tr>\r\n"
                              "<tr><td>db</td><td>5432</td><td></td></tr>\r\n</table>"));
        QVERIFY(folder.takeMessageBoxes().isEmpty());
    }
};

QTEST_MAIN(TestFrmWWWConfig)
#include "tst_frmwwwconfig.moc"
