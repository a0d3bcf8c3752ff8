#include "core/base/QuotedFields.h"

namespace
{
bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

bool endsUnquoted(QChar c)
{
    return c == QLatin1Char(',') || isLineEnd(c);
}
}

QStringList QuotedFields::parse(const QString &text, BlankLine blankLine)
{
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    bool afterComma = false;   // a field is owed even if the line ends now
    bool lineStart = true;
    while (i < n) {
        while (i < n && text.at(i) == QLatin1Char(' '))
            ++i;
        if (i == n)
            break;
        if (isLineEnd(text.at(i))) {
            if (afterComma || (lineStart && blankLine == BlankLine::EmptyField))
                fields.append(QString());
            afterComma = false;
            lineStart = true;
            // CR LF is one line end.
            i += text.at(i) == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n') ? 2 : 1;
            continue;
        }
        lineStart = false;
        if (text.at(i) == QLatin1Char('"')) {
            const qsizetype close = text.indexOf(QLatin1Char('"'), i + 1);
            const qsizetype end = close < 0 ? n : close;
            fields.append(text.mid(i + 1, end - i - 1));
            i = close < 0 ? n : close + 1;
            while (i < n && !endsUnquoted(text.at(i)))
                ++i;
        } else {
            qsizetype j = i;
            while (j < n && !endsUnquoted(text.at(j)))
                ++j;
            qsizetype e = j;
            while (e > i && text.at(e - 1) == QLatin1Char(' '))
                --e;
            fields.append(text.mid(i, e - i));
            i = j;
        }
        afterComma = i < n && text.at(i) == QLatin1Char(',');
        if (afterComma)
            ++i;
    }
    if (afterComma)
        fields.append(QString());
    return fields;
}
