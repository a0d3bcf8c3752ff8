#include "core/base/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace
{
// Qt reaches code page 932 through ICU under its Windows name.
constexpr const char codecName[] = "windows-31j";

// Opening a converter is costly (ICU finds it by name), and the log encodes
// a line for every down host: one converter a thread, opened anew only after
// an error, which it would otherwise keep reporting.
QByteArray encodeChecked(QStringView text, bool *complete)
{
    // Made in place: the converter keeps its own address for its errors.
    thread_local std::optional<QStringEncoder> encoder;
    if (!encoder)
        encoder.emplace(codecName);
    QByteArray bytes = encoder->encode(text);
    *complete = !encoder->hasError();
    if (!*complete)
        encoder.reset();
    return bytes;
}
}

QByteArray TextCodec::encode(const QString &text)
{
    bool complete = false;
    QByteArray bytes = encodeChecked(text, &complete);
    if (complete)
        return bytes;
    // The converter writes FC FC for a character it cannot hold, bytes that
    // no reader decodes; a question mark keeps the file readable.
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray encoded = encodeChecked(QStringView(text).mid(i, length), &complete);
        bytes += complete ? encoded : QByteArray("?");
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
    // The program does not start without the converter (isAvailable()).
    QStringDecoder decoder(codecName);
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
