#include "core/base/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace
{
// Qt reaches code page 932 through ICU under its Windows name.
constexpr const char codecName[] = "windows-31j";
}

QByteArray TextCodec::encode(const QString &text)
{
    QStringEncoder encoder(codecName);
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

bool TextCodec::canEncode(const QString &text)
{
    return decode(encode(text)) == text;
}

QString TextCodec::decode(const QByteArray &bytes)
{
    QStringDecoder decoder(codecName);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QString TextCodec::decodeFile(const QByteArray &bytes)
{
    static const QByteArray utf8Mark("\xEF\xBB\xBF");
    if (bytes.startsWith(utf8Mark))
        return QString::fromUtf8(bytes.mid(utf8Mark.size()));
    return decode(bytes);
}
