#include "app/frmMain.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/TextCodec.h"
#include "statuspage/frmWWWConfig.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QtTest>

// The status page as the main window drives it: settings read at start-up,
// the page written from the live grid, one settings window.
class TestStatusPageMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsAtStartUp()
    {
        TestFolder folder;
        frmMain window(folder.path());
        QCOMPARE(window.wwwSettings().wwwRoot, WwwSettings::defaultFolder());
        QCOMPARE(window.wwwSettings().wwwPage, "index.html");
        QCOMPARE(window.wwwSettings().wwwEnabled, "False");
        window.makeWWW();
        QVERIFY(folder.takeMessageBoxes().isEmpty());
    }

    void pageFromTheHostList()
    {
        TestFolder folder;
        QVERIFY(QDir(folder.path()).mkdir("www"));
        SettingsStore::write("wwwroot", "dir", QDir::toNativeSeparators(folder.filePath("www")));
        SettingsStore::write("wwwroot", "file", "status.htm");
        SettingsStore::write("wwwroot", "enable", "True");
        folder.writeBytes("Sentrova.ini", "\"10.0.0.5\",\"80\"\r\n\"db\",\"5432\"\r\n");
        frmMain window(folder.path());
        window.makeWWW();
        const QString page = TextCodec::decode(folder.readBytes("www/status.htm"));
        QVERIFY(page.contains("<tr><td>10.0.0.5</td><td>80</td><td></td></tr>\r\n"
                              "<tr><td>db</td><td>5432</td><td></td></tr>\r\n</table>"));
        QVERIFY(folder.takeMessageBoxes().isEmpty());
    }

    // A change stored by the settings window reaches the writer only when
    // the settings are loaded again.
    void storedChangeTakesEffectAtNextLoad()
    {
        TestFolder folder;
        SettingsStore::write("wwwroot", "dir", folder.path());
        frmMain window(folder.path());
        SettingsStore::write("wwwroot", "enable", "True");
        window.makeWWW();
        QVERIFY(!QFile::exists(folder.filePath("index.html")));
        window.LoadWWWConfig();
        window.makeWWW();
        QVERIFY(QFile::exists(folder.filePath("index.html")));
    }

    void oneSettingsWindow()
    {
        TestFolder folder;
        frmMain window(folder.path());
        QAction *item = window.findChild<QAction *>("mnuWWW");
        item->trigger();
        item->trigger();
        QList<frmWWWConfig *> windows;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *config = qobject_cast<frmWWWConfig *>(widget))
                windows.append(config);
        }
        QCOMPARE(windows.size(), 1);
        QVERIFY(windows.first()->isVisible());
        // Opening the window refreshes the writer's on/off copy.
        SettingsStore::write("wwwroot", "enable", "True");
        QPointer<frmWWWConfig> closed(windows.first());
        closed->close();
        QTRY_VERIFY_WITH_TIMEOUT(closed.isNull(), 2000);
        item->trigger();
        QCOMPARE(window.wwwSettings().wwwEnabled, "True");
    }
};

QTEST_MAIN(TestStatusPageMain)
#include "tst_statuspagemain.moc"
