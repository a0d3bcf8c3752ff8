// Run by mounted_faults.sh, which mounts as root what these tests need: an
// empty 64 KiB tmpfs to fill (SENTROVA_FULL_DIR) and a read-only view
// (SENTROVA_RO_DIR) of a folder written through SENTROVA_RO_SOURCE.

#include "app/frmMain.h"
#include "hostconfig/HostListEditor.h"
#include "notify/FakeSmtpServer.h"
#include "notify/MailNotification.h"
#include "notify/SmtpReport.h"
#include "platform/HostGrid.h"
#include "platform/TextCodec.h"
#include "statuspage/WwwSettings.h"
#include "support/LoopbackHosts.h"
#include "support/TestFolder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QtTest>

#include <unistd.h>

namespace
{
// Standard error of this process, caught in a file for as long as it lives.
class StderrCapture
{
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        ::dup2(m_file.handle(), 2);
    }
    ~StderrCapture() { std::fflush(stderr); ::dup2(m_saved, 2); ::close(m_saved); }
    QString text()
    {
        std::fflush(stderr);
        return QString::fromLocal8Bit(readBytes(m_file.fileName()));
    }
    static QByteArray readBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryFile m_file;
    int m_saved = ::dup(2);
};

// A folder from the environment, emptied, with the given files in it.
QString prepare(const char *variable, const QMap<QString, QByteArray> &files)
{
    const QDir dir(qEnvironmentVariable(variable));
    for (const QString &name : dir.entryList(QDir::Files))
        QFile::remove(dir.filePath(name));
    for (auto it = files.begin(); it != files.end(); ++it) {
        QFile file(dir.filePath(it.key()));
        if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
    return dir.path();
}

const QByteArray mailSettings = "\"127.0.0.1\",\"s@example.org\",\"a@example.org\",\"\",\"\",\"\",\"\"\r\n";
const QString hostListFailure = QStringLiteral("環境設定ファイルの保存に失敗しました。");
const QString errorBox = QStringLiteral("環境ファイルのエラーです。サポートにご連絡ください。");
}

class TestMountedFaults : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (qEnvironmentVariable("SENTROVA_FULL_DIR").isEmpty())
            QSKIP("run by tests/app/mounted_faults.sh, which mounts the folders as root");
    }

    // The save fails, the old file stays as it was, no half-written file is
    // left behind, and the failure is logged (to standard error where the
    // log itself cannot grow) and shown as for any other failed save.
    void diskFullKeepsOldFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("host list") << "Sentrova.ini" << hostListFailure << QStringList{errorBox};
        QTest::newRow("mail settings") << "MailConfig.ini" << "メール送信用環境設定の保存に失敗しました。" << QStringList();
        QTest::newRow("page") << "index.html" << hostListFailure << QStringList{errorBox};
    }
    void diskFullKeepsOldFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, logLine);
        QFETCH(QStringList, boxes);
        TestFolder folder;
        const QByteArray old = "\"old\",\"1\"\r\n";
        const QString full = prepare("SENTROVA_FULL_DIR", {{file, old}});
        // The settings files live in the program folder; the page in the web root.
        const bool page = file == QStringLiteral("index.html");
        const QString programFolder = page ? folder.path() : full;
        WwwSettings::storeFolder(full);
        WwwSettings::storeEnabled(page);
        frmMain window(programFolder);
        // Writes until the file system has no byte left.
        QFile filler(QDir(full).filePath(QStringLiteral("filler")));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(4096, 'x')) > 0 || filler.write("x", 1) > 0) {
        }
        filler.close();
        QCOMPARE(QStorageInfo(full).bytesAvailable(), 0);
        folder.takeMessageBoxes();

        StderrCapture err;
        HostGrid dialogGrid;
        if (file == QStringLiteral("Sentrova.ini")) {
            HostListEditor editor(dialogGrid, window.hostGrid(), programFolder,
                                  [&window](const QString &text) { window.LogEvent(text); });
            editor.LoadHostList();
            editor.add(QStringLiteral("new.example.org"), QStringLiteral("80"));
        } else if (file == QStringLiteral("MailConfig.ini")) {
            window.mailNotification()->setSettings({"mx2.example.org", "s2@example.org", "b@example.org", "", "", "", ""});
            window.SaveSMTPConfig();
        } else {
            window.makeWWW();
        }

        QCOMPARE(StderrCapture::readBytes(QDir(full).filePath(file)), old);
        QStringList left = QDir(full).entryList(QDir::Files);
        left.removeOne(QStringLiteral("Sentrova.Log"));
        QCOMPARE(QSet<QString>(left.begin(), left.end()), QSet<QString>({file, QStringLiteral("filler")}));
        const QString logged = err.text()
            + TextCodec::decode(StderrCapture::readBytes(QDir(programFolder).filePath(QStringLiteral("Sentrova.Log"))));
        QVERIFY2(logged.contains(logLine), qPrintable(logged));
        QCOMPARE(folder.takeMessageBoxes(), boxes);
    }

    // The program starts, monitors and mails from a program folder it cannot
    // write to; the log entries go to standard error instead.
    void readOnlyProgramFolder()
    {
        TestFolder folder;
        LoopbackHosts::Listener up;
        const QByteArray hosts = "\"127.0.0.1\",\"" + QByteArray::number(up.port()) + "\"\r\n\"127.0.0.1\",\""
            + QByteArray::number(LoopbackHosts::closedPort()) + "\"\r\n";
        prepare("SENTROVA_RO_SOURCE", {{"Sentrova.ini", hosts}, {"MailConfig.ini", mailSettings}});
        const QString readOnly = qEnvironmentVariable("SENTROVA_RO_DIR");
        QVERIFY(!QFile(QDir(readOnly).filePath(QStringLiteral("x"))).open(QIODevice::WriteOnly));

        StderrCapture err;
        FakeSmtpServer server;
        frmMain window(readOnly);
        window.reportSender()->setPort(server.port());
        window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("60"));
        window.findChild<QPushButton *>(QStringLiteral("cmdMonitor"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(!server.sessions.isEmpty() && server.sessions.at(0).closed, 10000);
        QVERIFY(!server.sessions.at(0).message.isEmpty());
        QTRY_VERIFY(err.text().contains(QStringLiteral("127.0.0.1サーバー障害の報告を行いました。 ")));
        window.SaveSMTPConfig();
        window.close();

        const QString text = err.text();
        for (const QString &line : {QStringLiteral("Sentrova起動完了"), QStringLiteral("「127.0.0.1」はダウンしています。"),
                                    QStringLiteral("メール送信用環境設定の保存に失敗しました。"),
                                    QStringLiteral("Sentrovaが終了しました。")})
            QVERIFY2(text.contains(line), qPrintable(text));
        QVERIFY(!QFile::exists(QDir(readOnly).filePath(QStringLiteral("Sentrova.Log"))));
        QCOMPARE(StderrCapture::readBytes(QDir(readOnly).filePath(QStringLiteral("Sentrova.ini"))), hosts);
    }
};

QTEST_MAIN(TestMountedFaults)
#include "tst_mountedfaults.moc"
