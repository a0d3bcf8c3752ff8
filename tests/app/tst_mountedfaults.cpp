// Run by mounted_faults.sh, which mounts as root what these tests need: an
// empty 64 KiB tmpfs to fill (SENTROVA_FULL_DIR) and a read-only view
// (SENTROVA_RO_DIR) of a folder written through SENTROVA_RO_SOURCE.

#include "app/frmMain.h"
#include "hostconfig/HostListEditor.h"
#include "support/LoopbackHosts.h"
#include "notify/FakeSmtpServer.h"
#include "notify/MailNotification.h"
#include "notify/SmtpReport.h"
#include "platform/HostGrid.h"
#include "platform/TextCodec.h"
#include "statuspage/WwwSettings.h"
#include "support/TestFolder.h"

#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QtTest>

#include <fcntl.h>
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
        m_saved = ::dup(2);
        ::dup2(m_file.handle(), 2);
    }
    ~StderrCapture()
    {
        std::fflush(stderr);
        ::dup2(m_saved, 2);
        ::close(m_saved);
    }
    QString text()
    {
        std::fflush(stderr);
        QFile file(m_file.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
    }

private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

void emptyFolder(const QString &path)
{
    QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}

// Writes until the file system has no byte left.
void fillUp(const QString &folder)
{
    const int fd = ::open(QDir(folder).filePath(QStringLiteral("filler")).toLocal8Bit().constData(),
                          O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    const QByteArray chunk(4096, 'x');
    while (::write(fd, chunk.constData(), chunk.size()) > 0) {
    }
    while (::write(fd, "x", 1) > 0) {
    }
    ::close(fd);
    QCOMPARE(QStorageInfo(folder).bytesAvailable(), 0);
}

const QByteArray oldHosts = "\"old\",\"1\"\r\n";
const QByteArray oldMail = "\"mx.example.org\",\"s@example.org\",\"a@example.org\",\"\",\"\",\"\",\"\"\r\n";
const QByteArray oldPage = "<html>last good page</html>\r\n";
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
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QString>("logLine");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("host list") << "Sentrova.ini" << oldHosts << hostListFailure << QStringList{errorBox};
        QTest::newRow("mail settings") << "MailConfig.ini" << oldMail
                                       << "メール送信用環境設定の保存に失敗しました。" << QStringList();
        QTest::newRow("page") << "index.html" << oldPage << hostListFailure << QStringList{errorBox};
    }
    void diskFullKeepsOldFile()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, old);
        QFETCH(QString, logLine);
        QFETCH(QStringList, boxes);
        TestFolder folder;
        const QString full = qEnvironmentVariable("SENTROVA_FULL_DIR");
        emptyFolder(full);
        writeBytes(QDir(full).filePath(file), old);
        // The settings files live in the program folder; the page in the web root.
        const bool page = file == QStringLiteral("index.html");
        const QString programFolder = page ? folder.path() : full;
        WwwSettings::storeFolder(full);
        WwwSettings::storeEnabled(page);
        frmMain window(programFolder);
        fillUp(full);
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

        QCOMPARE(readBytes(QDir(full).filePath(file)), old);
        QStringList left = QDir(full).entryList(QDir::Files);
        left.removeOne(QStringLiteral("Sentrova.Log"));
        QStringList expected{file, QStringLiteral("filler")};
        left.sort();
        expected.sort();
        QCOMPARE(left, expected);
        const QString logged = TextCodec::decode(readBytes(QDir(programFolder).filePath(QStringLiteral("Sentrova.Log"))))
            + err.text();
        QVERIFY2(logged.contains(logLine), qPrintable(logged));
        QCOMPARE(folder.takeMessageBoxes(), boxes);
    }

    // The program starts, monitors and mails from a program folder it cannot
    // write to; the log entries go to standard error instead.
    void readOnlyProgramFolder()
    {
        TestFolder folder;
        const QString source = qEnvironmentVariable("SENTROVA_RO_SOURCE");
        const QString readOnly = qEnvironmentVariable("SENTROVA_RO_DIR");
        emptyFolder(source);
        LoopbackHosts::Listener up;
        const QByteArray hosts = "\"127.0.0.1\",\"" + QByteArray::number(up.port()) + "\"\r\n\"127.0.0.1\",\""
            + QByteArray::number(LoopbackHosts::closedPort()) + "\"\r\n";
        writeBytes(QDir(source).filePath(QStringLiteral("Sentrova.ini")), hosts);
        writeBytes(QDir(source).filePath(QStringLiteral("MailConfig.ini")),
                   "\"127.0.0.1\",\"s@example.org\",\"a@example.org\",\"\",\"\",\"\",\"\"\r\n");
        QVERIFY(!QFile(QDir(readOnly).filePath(QStringLiteral("x"))).open(QIODevice::WriteOnly));

        StderrCapture err;
        FakeSmtpServer server;
        frmMain window(readOnly);
        window.reportSender()->setPort(server.port());
        QVERIFY(window.isNotificationOn());
        window.findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("60"));
        window.findChild<QPushButton *>(QStringLiteral("cmdMonitor"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(!server.sessions.isEmpty() && server.sessions.at(0).closed, 10000);
        QTRY_VERIFY(err.text().contains(QStringLiteral("127.0.0.1サーバー障害の報告を行いました。 ")));
        window.SaveSMTPConfig();
        window.close();

        const QString text = err.text();
        for (const QString &line : {QStringLiteral("Sentrova起動完了"), QStringLiteral("「127.0.0.1」はダウンしています。"),
                                    QStringLiteral("メール送信用環境設定の保存に失敗しました。"),
                                    QStringLiteral("Sentrovaが終了しました。")})
            QVERIFY2(text.contains(line), qPrintable(text));
        QVERIFY(!server.sessions.at(0).message.isEmpty());
        HostGrid *grid = window.hostGrid();
        QStringList statuses;
        for (int row = 1; row <= 2; ++row) {
            grid->setRow(row);
            grid->setColumn(2);
            statuses.append(grid->text());
        }
        QCOMPARE(statuses, (QStringList{"サーバー稼動中", "サーバーダウン"}));
        QVERIFY(!QFile::exists(QDir(readOnly).filePath(QStringLiteral("Sentrova.Log"))));
        QCOMPARE(readBytes(QDir(readOnly).filePath(QStringLiteral("Sentrova.ini"))), hosts);
    }
};

QTEST_MAIN(TestMountedFaults)
#include "tst_mountedfaults.moc"
