#include "platform/FileDialog.h"
#include "platform/SettingsStore.h"
#include "statuspage/WwwSettings.h"
#include "statuspage/frmWWWConfig.h"
#include "support/TestFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

namespace
{
QString stored(const char *key)
{
    return SettingsStore::read("wwwroot", QString::fromLatin1(key), "<none>");
}

void store(const char *key, const QString &value)
{
    SettingsStore::write("wwwroot", QString::fromLatin1(key), value);
}

// Every key of the store, for checking that nothing was written.
QStringList storedKeys()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Sentrova", "Sentrova").allKeys();
}

template<typename Control>
Control *control(frmWWWConfig &window, const char *name)
{
    return window.findChild<Control *>(QString::fromLatin1(name));
}

// Answers the file dialogs of one test with the given choices in turn.
class ChosenFiles
{
public:
    explicit ChosenFiles(QStringList answers)
    {
        FileDialog::setTestHook([answers = std::move(answers), next = 0]() mutable {
            return answers.value(next++);
        });
    }
    ~ChosenFiles() { FileDialog::setTestHook({}); }
};
}

class TestFrmWWWConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loadShowsStoredTextsAndStoresNothing_data()
    {
        QTest::addColumn<bool>("anythingStored");
        QTest::newRow("stored texts") << true;
        QTest::newRow("nothing stored") << false;
    }
    void loadShowsStoredTextsAndStoresNothing()
    {
        QFETCH(bool, anythingStored);
        TestFolder folder;
        if (anythingStored) {
            store("file", "status.htm");
            store("dir", "/srv/www");
            store("enable", "True");
        }
        const QStringList keysBefore = storedKeys();
        WwwSettings copies;
        copies.wwwEnabled = "stale";
        frmWWWConfig window(copies);
        QCOMPARE(control<QLineEdit>(window, "Text1")->text(), anythingStored ? "status.htm" : "index.html");
        QCOMPARE(control<QLineEdit>(window, "Text2")->text(),
                 anythingStored ? "/srv/www" : WwwSettings::defaultFolder());
        QCOMPARE(control<QCheckBox>(window, "WWWEnable")->isChecked(), anythingStored);
        QCOMPARE(copies.wwwEnabled, anythingStored ? "True" : "False");
        QCOMPARE(storedKeys(), keysBefore);
        if (anythingStored) {
            QCOMPARE(stored("file"), "status.htm");
            QCOMPARE(stored("dir"), "/srv/www");
        }
    }

    void tickedOnlyForExactTrue_data()
    {
        QTest::addColumn<QString>("enable");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("True") << "True" << true;
        QTest::newRow("true") << "true" << false;
        QTest::newRow("1") << "1" << false;
        QTest::newRow("False") << "False" << false;
    }
    void tickedOnlyForExactTrue()
    {
        QFETCH(QString, enable);
        QFETCH(bool, ticked);
        TestFolder folder;
        store("enable", enable);
        WwwSettings copies;
        frmWWWConfig window(copies);
        QCOMPARE(control<QCheckBox>(window, "WWWEnable")->isChecked(), ticked);
        // The writer still follows the text itself: "true" keeps the page on.
        QCOMPARE(copies.wwwEnabled, enable);
        QCOMPARE(stored("enable"), enable);
    }

    void tickingStoresAtOnce()
    {
        TestFolder folder;
        WwwSettings copies;
        frmWWWConfig window(copies);
        auto *box = control<QCheckBox>(window, "WWWEnable");
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        QCOMPARE(stored("enable"), "True");
        box->click();
        QCOMPARE(stored("enable"), "False");
        // The working copy changes only when the window is loaded.
        QCOMPARE(copies.wwwEnabled, "False");
    }

    void everyKeystrokeStoresBothFields()
    {
        TestFolder folder;
        WwwSettings copies;
        frmWWWConfig window(copies);
        auto *page = control<QLineEdit>(window, "Text1");
        auto *dir = control<QLineEdit>(window, "Text2");
        page->clear();
        QCOMPARE(stored("file"), "");
        QCOMPARE(stored("dir"), WwwSettings::defaultFolder());
        QTest::keyClicks(page, "a");
        QCOMPARE(stored("file"), "a");
        dir->clear();
        QTest::keyClicks(dir, " x");
        QCOMPARE(stored("dir"), " x");
        QCOMPARE(stored("file"), "a");
        QCOMPARE(stored("enable"), "<none>");
    }

    void browse_data()
    {
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("boxes");
        const QString s = QDir::separator();
        const QString file = QDir::toNativeSeparators("/var/www/html/default.htm");
        QTest::newRow("chosen file") << QStringList{file} << QDir::toNativeSeparators("/var/www/html/")
                                     << QStringList{};
        QTest::newRow("file at the root") << QStringList{QDir::toNativeSeparators("/x.txt")} << s
                                          << QStringList{};
        QTest::newRow("first browse cancelled") << QStringList{""} << QString() << QStringList{"何かファイルを選んでください。"};
        QTest::newRow("cancel applies the earlier choice again")
            << QStringList{file, ""} << QDir::toNativeSeparators("/var/www/html/") << QStringList{};
        QTest::newRow("name without separator") << QStringList{"x.txt"} << QString()
                                                << QStringList{"何かファイルを選んでください。"};
    }
    void browse()
    {
        QFETCH(QStringList, choices);
        QFETCH(QString, folder);
        QFETCH(QStringList, boxes);
        TestFolder folder_;
        store("file", "page.htm");
        WwwSettings copies;
        frmWWWConfig window(copies);
        control<QLineEdit>(window, "Text2")->setText("before");
        ChosenFiles chosen(choices);
        for (qsizetype i = 0; i < choices.size(); ++i) {
            QTest::mouseClick(control<QPushButton>(window, "Command2"), Qt::LeftButton);
            if (i + 1 < choices.size())
                control<QLineEdit>(window, "Text2")->setText("between");
        }
        QCOMPARE(folder_.takeMessageBoxes(), boxes);
        const QString expected = folder.isEmpty() ? QStringLiteral("before") : folder;
        QCOMPARE(control<QLineEdit>(window, "Text2")->text(), expected);
        QCOMPARE(stored("dir"), expected);
        QCOMPARE(stored("file"), "page.htm");
        QCOMPARE(stored("enable"), folder.isEmpty() ? "<none>" : "False");
    }

    // The platform's dialog, answered without a nested event loop.
    void browseWithThePlatformDialog_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("file chosen") << true;
        QTest::newRow("cancelled") << false;
    }
    void browseWithThePlatformDialog()
    {
        QFETCH(bool, accept);
        TestFolder folder;
        folder.writeBytes("default.htm", "x");
        WwwSettings copies;
        frmWWWConfig window(copies);
        window.show();
        QTest::mouseClick(control<QPushButton>(window, "Command2"), Qt::LeftButton);
        auto *dialog = window.findChild<QFileDialog *>();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        if (accept) {
            dialog->selectFile(folder.filePath("default.htm"));
            static_cast<QDialog *>(dialog)->accept();
        } else {
            dialog->reject();
        }
        const QString expected = accept ? QDir::toNativeSeparators(folder.path()) + QDir::separator()
                                        : WwwSettings::defaultFolder();
        QCOMPARE(control<QLineEdit>(window, "Text2")->text(), expected);
        QCOMPARE(folder.takeMessageBoxes(),
                 accept ? QStringList() : QStringList{"何かファイルを選んでください。"});
    }

    void pageTypeChangesNothing()
    {
        TestFolder folder;
        WwwSettings copies;
        frmWWWConfig window(copies);
        auto *combo = control<QComboBox>(window, "Combo1");
        QCOMPARE(combo->currentText(), "Iモード");
        QCOMPARE(combo->count(), 1);
        combo->setCurrentIndex(0);
        QTest::keyClick(combo, Qt::Key_Down);
        QVERIFY(storedKeys().isEmpty());
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Frame1") << "Frame1" << "WWWルート";
        QTest::newRow("WWWEnable") << "WWWEnable" << "WWWページの作成";
        QTest::newRow("Label3") << "Label3" << "ページタイプ";
        QTest::newRow("Label2") << "Label2" << "ページ名";
        QTest::newRow("Label1") << "Label1" << "WWWルート";
        QTest::newRow("Command2") << "Command2" << "参照";
        QTest::newRow("Command1") << "Command1" << "設定終了";
    }
    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        TestFolder folder;
        WwwSettings copies;
        frmWWWConfig window(copies);
        QCOMPARE(window.windowTitle(), "WWW設定");
        QCOMPARE(window.size(), QSize(576, 308));
        QWidget *widget = window.findChild<QWidget *>(name);
        QVERIFY(widget);
        QString text;
        if (auto *group = qobject_cast<QGroupBox *>(widget))
            text = group->title();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text();
        else if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        QCOMPARE(text, caption);
        // Every control lies inside the window, and all but the close
        // button inside the frame.
        const QRect inWindow(widget->mapTo(&window, QPoint(0, 0)), widget->size());
        QVERIFY(QRect(QPoint(0, 0), window.size()).contains(inWindow));
        if (name != "Frame1" && name != "Command1")
            QVERIFY(control<QGroupBox>(window, "Frame1")->geometry().contains(inWindow));
    }
};

QTEST_MAIN(TestFrmWWWConfig)
#include "tst_frmwwwconfig.moc"
