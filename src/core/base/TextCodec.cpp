#include "core/base/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace
{
// Qt reaches code page 932 through ICU under its Windows name.
constexpr const char codecName[] = "windows-31j";

// Opening a converter is costly (ICU finds it by name), and the log encodes
// a line for every down host: one encoder and one decoder a thread, opened
// anew only after an error, which they would otherwise keep reporting. Each
// call converts a whole text: a stateless converter holds nothing over to the
// next call, neither a lone high surrogate nor the lead byte of a pair.
template<typename Converter, typename Result, typename Input>
Result convert(Input input, bool *complete)
{
    // Made in place: the converter keeps its own address for its errors.
    thread_local std::optional<Converter> converter;
    if (!converter)
        converter.emplace(codecName, QStringConverter::Flag::Stateless);
    Result result = (*converter)(input);
    *complete = !converter->hasError();
    if (!*complete)
        converter.reset();
    return result;
}
}

QByteArray TextCodec::encode(const QString &text)
{
    bool complete = false;
    QByteArray bytes = convert<QStringEncoder, QByteArray>(QStringView(text), &complete);
    if (complete)
        return bytes;
    // The converter writes FC FC for a character it cannot hold, bytes that
    // no reader decodes; a question mark keeps the file readable. A surrogate
    // without its partner is such a character, and the one after it is kept.
    bytes.clear();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const QByteArray encoded =
            convert<QStringEncoder, QByteArray>(QStringView(text).mid(i, pair ? 2 : 1), &complete);
        bytes += complete ? encoded : QByteArray("?");
        i += pair ? 1 : 0;
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
    bool complete = false;
    return convert<QStringDecoder, QString>(QByteArrayView(bytes), &complete);
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
