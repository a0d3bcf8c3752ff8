#include "core/notify/MailRoute.h"

#include <QRegularExpression>

MailRoute MailRoute::bare() const
{
    // "Carol <carol@example.com>": the address between the brackets.
    static const QRegularExpression nameForm(QStringLiteral("<([^<>]*)>\\s*$"));
    const auto address = [](const QString &text) {
        const QRegularExpressionMatch match = nameForm.match(text);
        return (match.hasMatch() ? match.captured(1) : text).trimmed();
    };
    MailRoute route{server, address(sender), {}};
    std::transform(recipients.cbegin(), recipients.cend(), route.recipients.begin(), address);
    return route;
}

bool MailRoute::isAddress(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^[^\\s@<>]+@[^\\s@<>]+$"));
    return form.match(text).hasMatch();
}
