#include "core/Program.h"
#include "core/base/ProgramFolder.h"
#include "core/base/SingleInstance.h"
#include "core/base/TerminationSignals.h"
#include "core/base/TextCodec.h"
#include "gui/MainWindow.h"
#include "gui/common/Appearance.h"
#include "gui/common/DisplayCheck.h"
#include "gui/common/MessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <cstring>
#include <optional>

namespace
{
// Shows why the program cannot run, until the operator presses OK or the
// system ends the program; the status is 1 either way.
int refuseToStart(const QString &reason, TerminationSignals &termination)
{
    std::fprintf(stderr, "sentrova: %s\n", qPrintable(reason));
    QPointer<QMessageBox> box = MessageBox::show(nullptr, reason);
    QObject::connect(box.data(), &QMessageBox::finished, qApp, &QCoreApplication::quit);
    QObject::connect(&termination, &TerminationSignals::received, qApp, &QCoreApplication::quit);
    QApplication::exec();
    delete box.data();
    return 1;
}

// --version and --help answer without a display; any other argument is ignored.
std::optional<int> answerOption(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Sentrova %s\n", SENTROVA_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("使い方: sentrova [--version] [--help]\n"
                        "サーバー監視ユーティリティ。ホストの一覧を一定の間隔で調べ、\n"
                        "ダウンしたホストをログに記録し、メールで報告します。\n"
                        "設定は画面の「環境設定」メニューから行います。\n");
            return 0;
        }
    }
    return std::nullopt;
}

// One copy of the program on its folder, from start-up to the end of its
// window; a second copy asks the first to show itself.
int run(const QString &folder, TerminationSignals &termination)
{
    SingleInstance instance(folder);
    // A second copy may have delivered its request before claim() returns.
    QObject::connect(&instance, &SingleInstance::delivered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    if (!instance.claim()) {
        std::fprintf(stderr, "Sentrovaはすでに起動しています。\n");
        return QApplication::exec();
    }
    Program program(folder);
    program.startUp();
    MainWindow window(program);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, &MainWindow::bringForward);
    QObject::connect(&program, &Program::ended, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    // A logout or a service stop ends the program as closing its window does.
    QObject::connect(&termination, &TerminationSignals::received, &window, &QWidget::close);
    window.show();
    return QApplication::exec();
}
}

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = answerOption(argc, argv))
        return *status;
    if (!DisplayCheck::hasDisplay()) {
        std::fprintf(stderr, "%s\n", DisplayCheck::missingDisplayMessage());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Sentrova"));
    QApplication::setApplicationName(QStringLiteral("Sentrova"));
    Appearance::install();
    TerminationSignals termination;
    // Without the converter the first save would destroy every Japanese host name.
    if (!TextCodec::isAvailable())
        return refuseToStart(QStringLiteral("文字コード (シフトJIS) の変換を利用できません。"), termination);
    return Program::endProcess(run(ProgramFolder::choose(QCoreApplication::applicationDirPath()), termination));
}
