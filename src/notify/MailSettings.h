#pragma once

#include <QString>
#include <QStringList>

// Where failure reports go: the SMTP server, the sender and up to five
// recipients. Recipient1 is always addressed, the others only when not empty.
struct MailSettings
{
    QString SMTPServer;
    QString SenderAddress;
    QString Recipient1;
    QString Recipient2;
    QString Recipient3;
    QString Recipient4;
    QString Recipient5;

    bool operator==(const MailSettings &) const = default;

    // The recipients a report is sent to, in slot order.
    QStringList recipients() const
    {
        QStringList list{Recipient1};
        for (const QString *slot : {&Recipient2, &Recipient3, &Recipient4, &Recipient5}) {
            if (!slot->isEmpty())
                list.append(*slot);
        }
        return list;
    }
};
