#pragma once

#include <QString>
#include <QStringList>

#include <array>

// Where failure reports go: the SMTP server (port 25), the sender and up to
// five recipients. The first recipient is always addressed, the others only
// when not empty.
struct MailRoute
{
    QString server;
    QString sender;
    std::array<QString, 5> recipients;

    bool operator==(const MailRoute &) const = default;

    // All seven values, in the order of the settings file.
    QStringList values() const
    {
        return QStringList{server, sender} + QStringList(recipients.cbegin(), recipients.cend());
    }

    // The addresses as an envelope takes them: blanks around each dropped,
    // and of a "Name <addr>" form the address between the brackets.
    MailRoute bare() const;
    // local@domain, without blanks or brackets.
    static bool isAddress(const QString &text);

    // The recipients a report is sent to, in slot order.
    QStringList addressed() const
    {
        QStringList list{recipients.front()};
        for (std::size_t i = 1; i < recipients.size(); ++i) {
            if (!recipients.at(i).isEmpty())
                list.append(recipients.at(i));
        }
        return list;
    }
};
