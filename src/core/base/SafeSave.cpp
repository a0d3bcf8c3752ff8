#include "core/base/SafeSave.h"

#include <QSaveFile>

std::optional<SafeSave::Failure> SafeSave::write(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return Failure{path, file.errorString()};
    // commit() does not always see a write that broke off (disk full, file
    // size limit): it would then publish the part written.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return Failure{path, reason};
    }
    if (!file.commit())
        return Failure{path, file.errorString()};
    return std::nullopt;
}

void SafeSave::warn(const Failure &failure)
{
    qWarning("Sentrova: ファイルを保存できません (%s: %s)", qUtf8Printable(failure.path),
             qUtf8Printable(failure.reason));
}
