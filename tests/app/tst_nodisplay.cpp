#include <QProcess>
#include <QtTest>

// Started from a text console, the program must say in one line what it
// needs instead of letting Qt abort.
class TestNoDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void explainsAndExits_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no display at all") << QString() << 1;
        QTest::newRow("explicit Qt platform") << QStringLiteral("QT_QPA_PLATFORM=offscreen") << -1;
    }
    void explainsAndExits()
    {
        QFETCH(QString, variable);
        QFETCH(int, exitCode);
        QTemporaryDir home;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        if (!variable.isEmpty())
            env.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));

        // The program writes its log beside itself: run a copy in a
        // temporary folder.
        QTemporaryDir programFolder;
        const QString program = programFolder.filePath(QStringLiteral("sentrova"));
        QVERIFY(QFile::copy(QStringLiteral(SENTROVA_EXECUTABLE), program));

        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, {});
        QVERIFY(process.waitForStarted(10000));
        if (exitCode < 0) {
            // With a platform named, the window opens and keeps running.
            QVERIFY(!process.waitForFinished(1500));
            process.kill();
            process.waitForFinished(5000);
            return;
        }
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY(err.contains(QStringLiteral("グラフィカルなデスクトップが必要です")));
    }
};

QTEST_GUILESS_MAIN(TestNoDisplay)
#include "tst_nodisplay.moc"
