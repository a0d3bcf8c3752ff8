#include "core/base/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ProgramFolder::choose(const QString &applicationFolder)
{
    if (QFileInfo(applicationFolder).isWritable())
        return applicationFolder;
    const QString perUser = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                .filePath(QStringLiteral("Sentrova"));
    QDir().mkpath(perUser);
    return perUser;
}
