#include "app/frmMain.h"
#include "platform/SettingsStore.h"
#include "platform/TextCodec.h"
#include "statuspage/frmWWWConfig.h"
#include "support/TestFolder.h"

#include <QAction>
#include <QApplication>
#include <QtTest>

// The status page as the main window drives it.
class TestStatusPageMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        QVERIFY(TextCodec::decode(folder.readBytes("www/status.htm"))
                    .contains("<tr><td>10.0.0.5</td><td>80</td><td></td></tr>\r\n"
                              "<tr><td>db</td><td>5432</td><td></td></tr>\r\n</table>"));
    }

    // Off by default; a stored change reaches the writer only when the
    // settings are loaded again, as opening the settings window does.
    void storedChangeTakesEffectAtNextLoad()
    {
        TestFolder folder;
        SettingsStore::write("wwwroot", "dir", folder.path());
        frmMain window(folder.path());
        SettingsStore::write("wwwroot", "enable", "True");
        window.makeWWW();
        QVERIFY(!QFile::exists(folder.filePath("index.html")));
        QAction *item = window.findChild<QAction *>("mnuWWW");
        item->trigger();
        item->trigger();
        int windows = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            windows += qobject_cast<frmWWWConfig *>(widget) ? 1 : 0;
        QCOMPARE(windows, 1);
        window.makeWWW();
        QVERIFY(QFile::exists(folder.filePath("index.html")));
        QVERIFY(folder.takeMessageBoxes().isEmpty());
    }
};

QTEST_MAIN(TestStatusPageMain)
#include "tst_statuspagemain.moc"
