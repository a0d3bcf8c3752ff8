#include "core/base/SafeSave.h"

#include <QSaveFile>

bool SafeSave::write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() does not always see a write that broke off (disk full, file
    // size limit): it would then publish the part written.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
