#include "core/hosts/PortPresets.h"

#include <array>

namespace
{
struct Preset
{
    const char16_t *label;
    const char16_t *port;   // null for the placeholder
};

// "IMAP (443)" gives 443 as its label says, not IMAP's own 143: operators
// have lists made with this choice.
constexpr std::array<Preset, 8> presets = {{
    {u"WWW   (80)", u"80"},
    {u"FTP   (21)", u"21"},
    {u"TELNET  (23)", u"23"},
    {u"SMTP  (25)", u"25"},
    {u"DNS   (53)", u"53"},
    {u"POP3 (110)", u"110"},
    {u"IMAP (443)", u"443"},
    {u"お選びください", nullptr},
}};
}

QStringList PortPresets::labels()
{
    QStringList result;
    for (const Preset &preset : presets)
        result.append(QString::fromUtf16(preset.label));
    return result;
}

std::optional<QString> PortPresets::port(int index)
{
    if (index < 0 || index >= int(presets.size()) || !presets[index].port)
        return std::nullopt;
    return QString::fromUtf16(presets[index].port);
}
