#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Every file the program writes as a whole (the host list, the mail settings,
// the status page) is saved through here: the new content replaces the old in
// one step, so that a reader never sees half a file and a failed save keeps
// the last good one. Where the folder may not be written but the file may, the
// file is rewritten in place.
namespace SafeSave
{
// Why a save failed: the file, and what went wrong, in the system's words
// where the system refused it.
struct Failure
{
    QString path;
    QString reason;
};

// Nothing when the new content is in place.
[[nodiscard]] std::optional<Failure> write(const QString &path, const QByteArray &bytes);

// Tells an operator why, on standard error: the log and the message box keep
// their fixed texts. One line, "Sentrova: ファイルを保存できません (path: reason)".
void warn(const Failure &failure);

// What the operator is told when the host list or the status page cannot be
// saved: a log line and a message box.
inline const QString failureLogText = QStringLiteral("環境設定ファイルの保存に失敗しました。");
inline const QString failureMessage = QStringLiteral("環境ファイルのエラーです。サポートにご連絡ください。");
}
