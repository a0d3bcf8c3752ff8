#include <QProcess>
#include <QtTest>

// Started from a text console, the program must say in one line what it
// needs instead of letting Qt abort; with a platform named it runs.
class TestNoDisplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void explainsAndExits_data()
    {
        QTest::addColumn<QString>("platform");
        QTest::newRow("no display at all") << QString();
        QTest::newRow("explicit Qt platform") << QStringLiteral("offscreen");
    }
    void explainsAndExits()
    {
        QFETCH(QString, platform);
        // The program writes its log beside itself and its settings under
        // HOME: a copy in a temporary folder, with a temporary HOME.
        QTemporaryDir home, programFolder;
        const QString program = programFolder.filePath(QStringLiteral("sentrova"));
        QVERIFY(QFile::copy(QStringLiteral(SENTROVA_EXECUTABLE), program));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        if (!platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);

        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, {});
        const bool ended = process.waitForFinished(platform.isEmpty() ? 10000 : 1500);
        QCOMPARE(ended, platform.isEmpty());
        if (!ended) {
            process.kill();
            process.waitForFinished(5000);
            return;
        }
        QCOMPARE(process.exitCode(), 1);
        const QString err = QString::fromUtf8(process.readAllStandardError());
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY(err.contains(QStringLiteral("グラフィカルなデスクトップが必要です")));
    }
};

QTEST_GUILESS_MAIN(TestNoDisplay)
#include "tst_nodisplay.moc"
