#include "notify/MailNotification.h"

#include "notify/MailConfigFile.h"

MailNotification::MailNotification(const QString &folder, Logger log, QObject *parent)
    : QObject(parent)
    , m_folder(folder)
    , m_log(std::move(log))
{
}

void MailNotification::setOn(bool on)
{
    m_on = on;
    Q_EMIT indicationsChanged(on);
}

bool MailNotification::load()
{
    const std::optional<MailSettings> loaded = MailConfigFile::load(m_folder);
    if (!loaded) {
        m_log(QStringLiteral("メール送信用環境設定の読み取りに失敗しました。"));
        return false;
    }
    m_settings = *loaded;
    setOn(true);
    m_log(QStringLiteral("メール送信用環境設定をロードしました。"));
    return true;
}

bool MailNotification::save()
{
    if (!MailConfigFile::save(m_folder, m_settings)) {
        m_log(QStringLiteral("メール送信用環境設定の保存に失敗しました。"));
        return false;
    }
    Q_EMIT indicationsChanged(true);
    m_log(QStringLiteral("メール設定を保存しました。"));
    return true;
}
