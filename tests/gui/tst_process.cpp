#include "DataRows.h"
#include "TestFolder.h"

#include <QtTest>

#include <csignal>

// The program as the system starts and ends it: a copy of the built binary in a fresh folder, which is also its home.
class TestProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // --version and --help answer on standard output without a display and end with 0. A program that cannot run says why in
    // one line on standard error and ends with 1, its message box (if any) ended by the system. One that runs keeps its folder: a
    // second start there says so and ends with 0, the first running on. It ends as if closed, its log closed, when the system asks.
    void startAndEnd_data()
    {
        columns<QStringList, QStringList, QByteArray, int>("environment", "options", "output", "signal");
        const QByteArray help = "使い方: sentrova [--version] [--help]\nサーバー監視ユーティリティ。ホストの一覧を一定の間隔で調べ、\n"
                                "ダウンしたホストをログに記録し、メールで報告します。\n設定は画面の「環境設定」メニューから行います。\n";
        const QByteArray noDisplay = "sentrova: グラフィカルなデスクトップが必要です (DISPLAY でも WAYLAND_DISPLAY でもディスプレイに接続できません)。\n";
        const QStringList offscreen{"QT_QPA_PLATFORM=offscreen"};
        QTest::newRow("--version") << QStringList() << QStringList{"--version"} << QByteArray("Sentrova 1.0\n") << 0;
        QTest::newRow("--help") << QStringList() << QStringList{"--help"} << help << 0;
        QTest::newRow("no display") << QStringList() << QStringList() << noDisplay << 0;
        QTest::newRow("X display without a server") << QStringList{"DISPLAY=:4242"} << QStringList() << noDisplay << 0;
        QTest::newRow("Wayland display without a compositor") << QStringList{"WAYLAND_DISPLAY=none"} << QStringList() << noDisplay << 0;
        QTest::newRow("no code page 932 converter") << offscreen + QStringList{"LD_PRELOAD=" NO_CONVERTERS} << QStringList()
                                                     << QByteArray("sentrova: 文字コード (シフトJIS) の変換を利用できません。\n") << SIGTERM;
        QTest::newRow("SIGTERM, a service stop") << offscreen << QStringList() << QByteArray() << SIGTERM;
        QTest::newRow("SIGHUP, a logout") << offscreen << QStringList() << QByteArray() << SIGHUP;
        QTest::newRow("SIGHUP ignored at start (nohup), then SIGTERM") << offscreen + QStringList{"nohup"} << QStringList() << QByteArray() << SIGTERM;
    }
    void startAndEnd()
    {
        auto [environment, options, output, signal] = fetch<QStringList, QStringList, QByteArray, int>("environment", "options", "output", "signal");
        TestFolder folder;
        QProcess program;
        QVERIFY(QFile::copy(SENTROVA_PROGRAM, folder.filePath("sentrova")));
        program.setEnvironment(QStringList{"HOME=" + folder.path(), "XDG_RUNTIME_DIR=" + folder.path(), "LC_ALL=C.UTF-8",
                                           "ASAN_OPTIONS=verify_asan_link_order=0"} + environment);   // the shim preloaded ahead of ASan's runtime
        program.setReadChannel(options.isEmpty() ? QProcess::StandardError : QProcess::StandardOutput);
        const bool nohup = environment.contains("nohup");
        program.start("sh", QStringList{"-c", QString(nohup ? "trap '' HUP; " : "") + "exec \"$0\" \"$@\"", folder.filePath("sentrova")} + options);
        if (output.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(folder.logTail(1), QStringList{"Sentrova起動完了"}, 10000);
            QVERIFY(QFile::exists(folder.filePath(".config/Sentrova/Sentrova.conf")));   // the per-user settings
            // A signal ignored at start stays ignored; the others end the program.
            const QString text = QString::fromLatin1(folder.readBytes(QStringLiteral("/proc/%1/status").arg(program.processId())));
            const auto mask = [&text](const char *field) { return text.section(field, 1).section(u'\n', 0, 0).trimmed().toULongLong(nullptr, 16); };
            QCOMPARE(mask("SigIgn:") & 1, nohup ? 1u : 0u);   // SIGHUP
            QCOMPARE(mask("SigCgt:") & 0x4001, nohup ? 0x4000u : 0x4001u);   // SIGTERM, SIGHUP
        } else
            QTRY_VERIFY_WITH_TIMEOUT(program.bytesAvailable() >= output.size(), 10000);
        QCOMPARE(program.read(qMax<qsizetype>(output.size(), 1)), output);   // one that runs has said nothing
        if (output.isEmpty()) {
            QProcess second;
            second.setEnvironment(program.environment());
            second.start(folder.filePath("sentrova"));
            QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);
            QCOMPARE(std::tuple(second.exitCode(), QString::fromUtf8(second.readAllStandardError()), program.state()),
                     std::tuple(0, QString("Sentrovaはすでに起動しています。\n"), QProcess::Running));
        }
        if (signal)
            ::kill(program.processId(), signal);
        QTRY_COMPARE_WITH_TIMEOUT(program.state(), QProcess::NotRunning, 10000);
        QCOMPARE(std::pair(program.exitStatus(), program.exitCode()), std::pair(QProcess::NormalExit, output.isEmpty() || !options.isEmpty() ? 0 : 1));
        QCOMPARE(folder.logTail(2), output.isEmpty() ? QStringList({"Sentrova起動完了", "Sentrovaが終了しました。"}) : QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestProcess)
#include "tst_process.moc"
