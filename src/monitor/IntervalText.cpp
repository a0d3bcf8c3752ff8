#include "monitor/IntervalText.h"

#include <QLocale>

#include <cmath>

std::optional<int> IntervalText::seconds(const QString &text)
{
    if (text.isEmpty())
        return emptyBoxSeconds;
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > 1e6)
        return std::nullopt;
    // The default floating-point rounding mode rounds halves to even.
    return static_cast<int>(std::nearbyint(value));
}

bool IntervalText::isValid(const std::optional<int> &seconds)
{
    return seconds && *seconds >= minSeconds && *seconds <= maxSeconds;
}
