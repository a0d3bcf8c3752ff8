#include "core/notify/MailAccount.h"

#include "core/base/InputText.h"
#include "core/base/SettingsStore.h"

#include <array>

namespace
{
const std::array<QString, 3> securityTexts{QStringLiteral("None"), QStringLiteral("StartTls"), QStringLiteral("Tls")};
}

MailAccount MailAccount::stored()
{
    MailAccount account;
    const QString text = SettingsStore::text(Setting::SmtpSecurity);
    const qsizetype security =
        std::find_if(securityTexts.cbegin(), securityTexts.cend(),
                     [&text](const QString &known) { return known.compare(text, Qt::CaseInsensitive) == 0; })
        - securityTexts.cbegin();
    // An unknown text is no reason to send a password in the clear.
    account.security = security < qsizetype(securityTexts.size()) ? Security(security) : Security::Tls;
    account.port =
        quint16(InputText::port(SettingsStore::text(Setting::SmtpPort)).value_or(usualPort(account.security)));
    account.user = SettingsStore::text(Setting::SmtpUser);
    return account;
}

void MailAccount::store() const
{
    SettingsStore::setText(Setting::SmtpPort, QString::number(port));
    SettingsStore::setText(Setting::SmtpSecurity, securityTexts.at(std::size_t(security)));
    SettingsStore::setText(Setting::SmtpUser, user);
}

quint16 MailAccount::usualPort(Security security)
{
    constexpr quint16 ports[] = {25, 587, 465};
    return ports[int(security)];
}
