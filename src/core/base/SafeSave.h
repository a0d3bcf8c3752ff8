#pragma once

#include <QByteArray>
#include <QString>

// Every file the program writes as a whole (the host list, the mail settings,
// the status page) is saved through here: the new content replaces the old in
// one step, so that a reader never sees half a file and a failed save keeps
// the last good one. Where the folder may not be written but the file may, the
// file is rewritten in place.
namespace SafeSave
{
bool write(const QString &path, const QByteArray &bytes);

// What the operator is told when the host list or the status page cannot be
// saved: a log line and a message box.
inline const QString failureLogText = QStringLiteral("環境設定ファイルの保存に失敗しました。");
inline const QString failureMessage = QStringLiteral("環境ファイルのエラーです。サポートにご連絡ください。");
}
