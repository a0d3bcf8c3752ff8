#pragma once

#include <QString>

#include <functional>
#include <optional>

class QObject;

// The mail account's password in the desktop's secret store (the Secret
// Service of GNOME Keyring or KWallet, through QtKeychain), never in a file.
// Both calls answer from the event loop; nothing waits for the store.
namespace Keyring
{
// failure: empty once stored, else why not, for the operator.
using Stored = std::function<void(const QString &failure)>;
void store(const QString &user, const QString &password, QObject *context, Stored done);

// The password, nothing when none is stored, or why it cannot be read.
struct Read
{
    std::optional<QString> password;
    QString failure;
};
void read(const QString &user, QObject *context, std::function<void(const Read &)> done);
}
