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
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes;
    // The converter writes FC FC for a character it cannot hold, bytes that
    // no reader decodes; a question mark keeps the file readable.
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one(codecName);
        const QByteArray encoded = one.encode(QStringView(text).mid(i, length));
        bytes += one.hasError() ? QByteArray("?") : encoded;
        i += length - 1;
    }
    return bytes;
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

bool TextCodec::isAvailable()
{
    return QStringEncoder(codecName).isValid() && QStringDecoder(codecName).isValid();
}
