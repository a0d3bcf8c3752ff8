#pragma once

#include <QString>

// How the reports reach the SMTP server: its port, the encryption and the
// account to sign in with, kept per user. The password is kept apart, in
// the desktop's secret store. The defaults are a plain dialogue on port 25
// without sign-in.
struct MailAccount
{
    enum class Security {
        None,
        StartTls,   // plain, then STARTTLS before anything else
        Tls,   // TLS from the first byte
    };

    quint16 port = 25;
    Security security = Security::None;
    QString user;   // empty: no sign-in

    bool operator==(const MailAccount &) const = default;

    // Port, security and user as stored; a port text that gives no port
    // means the usual port of the security.
    static MailAccount stored();
    void store() const;
    // 25, 587 and 465.
    static quint16 usualPort(Security security);
};
