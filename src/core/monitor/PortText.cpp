#include "core/monitor/PortText.h"

#include <QRegularExpression>

#include <cmath>

int PortText::port(const QString &text)
{
    static const QRegularExpression leadingNumber(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = leadingNumber.match(text);
    if (!match.hasMatch())
        return 0;
    const double value = match.captured(1).toDouble();
    if (!std::isfinite(value))
        return 0;
    // The default floating-point rounding mode rounds halves to even.
    const double rounded = std::nearbyint(value);
    return rounded >= 1 && rounded <= 65535 ? static_cast<int>(rounded) : 0;
}
