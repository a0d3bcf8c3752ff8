#include "DataRows.h"
#include "TestFolder.h"

#include <QtTest>

#include <csignal>

// The program as the system starts and ends it: a copy of the built binary in a fresh folder, which is also its home.
class TestProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A second start on the same folder says so and ends with 0; the first runs on.
    void secondCopy()
    {
        TestFolder folder;
        QVERIFY(QFile::copy(SENTROVA_PROGRAM, folder.filePath("sentrova")));
        QProcess first, second;
        for (QProcess *program : {&first, &second})
            program->setEnvironment({"HOME=" + folder.path(), "XDG_RUNTIME_DIR=" + folder.path(), "QT_QPA_PLATFORM=offscreen", "LC_ALL=C.UTF-8"});
        first.start(folder.filePath("sentrova"));
        QTRY_COMPARE_WITH_TIMEOUT(folder.logTail(1), QStringList{"Sentrova起動完了"}, 10000);
        second.start(folder.filePath("sentrova"));
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
        QCOMPARE(std::pair(second.exitCode(), QString::fromUtf8(second.readAllStandardError())), std::pair(0, QString("Sentrovaはすでに起動しています。\n")));
        QCOMPARE(std::pair(first.state(), folder.logMessages().count("Sentrova起動完了")), std::pair(QProcess::Running, qsizetype(1)));
        first.terminate();
        QTRY_COMPARE_WITH_TIMEOUT(first.state(), QProcess::NotRunning, 10000);
    }

    // --version and --help answer without a display, the version the project's.
    void versionAndHelp()
    {
        QProcess program;
        program.setEnvironment({"LC_ALL=C.UTF-8"});
        const QString help = "使い方: sentrova [--version] [--help]\nサーバー監視ユーティリティ。ホストの一覧を一定の間隔で調べ、\n"
                             "ダウンしたホストをログに記録し、メールで報告します。\n設定は画面の「環境設定」メニューから行います。\n";
        for (const auto &[option, output] : {std::pair<const char *, QString>("--version", "Sentrova 1.0\n"), {"--help", help}}) {
            program.start(SENTROVA_PROGRAM, {option});
            QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 10000);
            QCOMPARE(std::pair(program.exitCode(), QString::fromUtf8(program.readAllStandardOutput())), std::pair(0, output));
        }
    }

    // A program that cannot run says why in one line on standard error and ends with 1, its message box (if any) ended by the
    // system; one that runs ends as if closed, its log closed, when the system asks it to.
    void startAndEnd_data()
    {
        columns<QStringList, QByteArray, int>("environment", "refusal", "signal");
        const QByteArray noDisplay = "sentrova: グラフィカルなデスクトップが必要です (DISPLAY でも WAYLAND_DISPLAY でもディスプレイに接続できません)。\n";
        const QStringList offscreen{"QT_QPA_PLATFORM=offscreen"};
        QTest::newRow("no display") << QStringList() << noDisplay << 0;
        QTest::newRow("X display without a server") << QStringList{"DISPLAY=:4242"} << noDisplay << 0;
        QTest::newRow("Wayland display without a compositor") << QStringList{"WAYLAND_DISPLAY=none"} << noDisplay << 0;
        QTest::newRow("no code page 932 converter") << offscreen + QStringList{"LD_PRELOAD=" NO_CONVERTERS}
                                                     << QByteArray("sentrova: 文字コード (シフトJIS) の変換を利用できません。\n") << SIGTERM;
        QTest::newRow("SIGTERM, a service stop") << offscreen << QByteArray() << SIGTERM;
        QTest::newRow("SIGHUP, a logout") << offscreen << QByteArray() << SIGHUP;
        QTest::newRow("SIGHUP ignored at start (nohup), then SIGTERM") << offscreen + QStringList{"nohup"} << QByteArray() << SIGTERM;
    }
    void startAndEnd()
    {
        auto [environment, refusal, signal] = fetch<QStringList, QByteArray, int>("environment", "refusal", "signal");
        TestFolder folder;
        QProcess program;
        QVERIFY(QFile::copy(SENTROVA_PROGRAM, folder.filePath("sentrova")));
        program.setEnvironment(QStringList{"HOME=" + folder.path(), "XDG_RUNTIME_DIR=" + folder.path(), "LC_ALL=C.UTF-8",
                                           "ASAN_OPTIONS=verify_asan_link_order=0"} + environment);   // the shim preloaded ahead of ASan's runtime
        program.setReadChannel(QProcess::StandardError);
        const bool nohup = environment.contains("nohup");
        program.start("sh", {"-c", nohup ? "trap '' HUP; exec \"$0\"" : "exec \"$0\"", folder.filePath("sentrova")});
        if (refusal.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(folder.logTail(1), QStringList{"Sentrova起動完了"}, 10000);
            QVERIFY(QFile::exists(folder.filePath(".config/Sentrova/Sentrova.conf")));   // the per-user settings
            // A signal ignored at start stays ignored; the others end the program.
            const QString text = QString::fromLatin1(folder.readBytes(QStringLiteral("/proc/%1/status").arg(program.processId())));
            const auto mask = [&text](const char *field) { return text.section(field, 1).section(u'\n', 0, 0).trimmed().toULongLong(nullptr, 16); };
            QCOMPARE(mask("SigIgn:") & 1, nohup ? 1u : 0u);   // SIGHUP
            QCOMPARE(mask("SigCgt:") & 0x4001, nohup ? 0x4000u : 0x4001u);   // SIGTERM, SIGHUP
        } else
            QTRY_VERIFY_WITH_TIMEOUT(program.canReadLine(), 10000);
        QCOMPARE(program.readLine(), refusal);
        if (signal)
            ::kill(program.processId(), signal);
        QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 10000);
        QCOMPARE(std::pair(program.exitStatus(), program.exitCode()), std::pair(QProcess::NormalExit, refusal.isEmpty() ? 0 : 1));
        QCOMPARE(folder.logTail(1), refusal.isEmpty() ? QStringList{"Sentrovaが終了しました。"} : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
