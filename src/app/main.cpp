#include "app/DisplayCheck.h"
#include "app/frmMain.h"
#include "platform/Appearance.h"

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

    frmMain window(QCoreApplication::applicationDirPath());
    QObject::connect(&window, &frmMain::programEnded, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    window.show();
    return app.exec();
}
