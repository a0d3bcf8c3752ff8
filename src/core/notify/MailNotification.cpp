#include "core/notify/MailNotification.h"

#include "core/base/SettingsStore.h"
#include "core/base/TextCodec.h"
#include "core/log/EventLog.h"
#include "core/notify/MailConfigFile.h"

MailNotification::MailNotification(const QString &folder, const EventLog &log, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_log(log)
{
}

void MailNotification::setOn(bool on)
{
    m_on = on;
    Q_EMIT switchChanged(on);
}

void MailNotification::load()
{
    const std::optional<MailRoute> loaded = MailConfigFile::load(m_folder);
    if (!loaded) {
        m_log.write(QStringLiteral("メール送信用環境設定の読み取りに失敗しました。"));
        return;
    }
    m_route = *loaded;
    setOn(true);
    m_log.write(QStringLiteral("メール送信用環境設定をロードしました。"));
}

// A value the file cannot carry, or what is not an address where one belongs,
// is not taken at all. Values of an entry that lacks a required one are taken
// but not saved. Blanks around an address are dropped.
bool MailNotification::confirm(const MailRoute &typed)
{
    MailRoute entered = typed;
    entered.sender = typed.sender.trimmed();
    std::transform(typed.recipients.cbegin(), typed.recipients.cend(), entered.recipients.begin(),
                   [](const QString &recipient) { return recipient.trimmed(); });
    const QStringList addresses = QStringList{entered.sender} + entered.addressed();
    if (!std::all_of(addresses.cbegin(), addresses.cend(),
                     [](const QString &a) { return a.isEmpty() || MailRoute::isAddress(a); })) {
        Q_EMIT userMessage(QStringLiteral("メールアドレスの形式が正しくありません。"));
        return false;
    }
    for (const QString &value : entered.values()) {
        if (value.contains(QLatin1Char('"'))) {
            Q_EMIT userMessage(QStringLiteral("設定値に \" (ダブルクォート) は使用できません。"));
            return false;
        }
        if (!TextCodec::canEncode(value)) {
            Q_EMIT userMessage(QStringLiteral("設定値に使用できない文字が含まれています。"));
            return false;
        }
    }
    m_route = entered;
    if (entered.server.isEmpty() || entered.sender.isEmpty() || entered.recipients.front().isEmpty()) {
        Q_EMIT userMessage(QStringLiteral("必要なパラメータがありません!"));
        return false;
    }
    setOn(true);
    if (const std::optional<SafeSave::Failure> failure = MailConfigFile::save(m_folder, m_route)) {
        SafeSave::warn(*failure);
        m_log.write(QStringLiteral("メール送信用環境設定の保存に失敗しました。"));
    } else {
        m_log.write(QStringLiteral("メール設定を保存しました。"));
    }
    return true;
}

void MailNotification::sendTest(const MailRoute &entered)
{
    if (!confirm(entered))
        return;
    m_sender.send(QStringLiteral("システムテスト"), [this](bool accepted) {
        Q_EMIT userMessage(accepted
                               ? QStringLiteral("メッセージを送信しました。!")
                               : QStringLiteral("メッセージの送信に失敗しました。イベントログを確認してください。"));
    });
}

void MailNotification::switchOff()
{
    setOn(false);
}

bool MailNotification::reportsChangesOnly()
{
    return SettingsStore::isOn(Setting::ReportOnChange);
}
