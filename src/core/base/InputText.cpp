#include "core/base/InputText.h"

#include <QRegularExpression>

#include <cmath>

QString InputText::oneLine(QString text)
{
    for (QChar &c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    return text;
}

std::optional<int> InputText::number(const QString &text, int min, int max, Rest rest)
{
    static const QRegularExpression leadingNumber(
        QStringLiteral("^\\s*([+-]?(?:\\d+(?:\\.\\d*)?|\\.\\d+)(?:[eE][+-]?\\d+)?)\\s*"));
    const QString plain = text.normalized(QString::NormalizationForm_KC);
    const QRegularExpressionMatch match = leadingNumber.match(plain);
    if (!match.hasMatch() || (rest == Rest::Refused && match.capturedLength() != plain.size()))
        return std::nullopt;
    // The default floating-point rounding mode rounds halves to even.
    const double rounded = std::nearbyint(match.captured(1).toDouble());
    if (rounded < min || rounded > max)
        return std::nullopt;
    return static_cast<int>(rounded);
}
