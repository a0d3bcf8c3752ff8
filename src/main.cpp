#include "core/Program.h"
#include "core/base/ProgramFolder.h"
#include "gui/MainWindow.h"
#include "gui/common/Appearance.h"
#include "gui/common/DisplayCheck.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (!DisplayCheck::hasDisplay()) {
        std::fprintf(stderr, "%s\n", DisplayCheck::missingDisplayMessage());
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Sentrova"));
    QApplication::setApplicationName(QStringLiteral("Sentrova"));
    Appearance::install();

    Program program(ProgramFolder::choose(QCoreApplication::applicationDirPath()));
    program.startUp();
    MainWindow window(program);
    QObject::connect(&program, &Program::ended, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    return app.exec();
}
