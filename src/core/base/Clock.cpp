#include "core/base/Clock.h"

QDateTime Clock::s_fixed;

QDateTime Clock::now()
{
    return s_fixed.isValid() ? s_fixed : QDateTime::currentDateTime();
}

QString Clock::dateText(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy/MM/dd"));
}

QString Clock::timeText(const QDateTime &when)
{
    return when.toString(QStringLiteral("H:mm:ss"));
}

QString Clock::dateTimeText(const QDateTime &when)
{
    return dateText(when) + QLatin1Char(' ') + timeText(when);
}

void Clock::setFixedTime(const QDateTime &when)
{
    s_fixed = when;
}
