#include "MenuHelpFile.h"

#include "config/MenuColours.h"

#include <cstdint>

namespace {

// printf's "\3#%03d": at least three characters, a sign counted.
QByteArray TableCode(std::int32_t index)
{
    return "\3#"
        + (index < 0 ? '-' + QByteArray::number(-static_cast<long long>(index)).rightJustified(2, '0')
                     : QByteArray::number(index).rightJustified(3, '0'));
}

}

QByteArray HelpScreenBytes(const QByteArray& file)
{
    constexpr auto Base = static_cast<std::int32_t>(MessageColourBase);
    QByteArray out = "\033e\033%@\033)0\033(B" + TableCode(Base + 0x07) + "\033[?25l\033[2J\033[H";
    enum class Read { Plain, First, Second, SkipLine } state = Read::Plain;
    std::uint32_t attribute = 0;
    for (char c : file) {
        const auto byte = static_cast<unsigned char>(c);
        if (state == Read::First) {
            attribute = HexValue(c) << 4;
            state = Read::Second;
        } else if (state == Read::Second) {
            attribute |= HexValue(c);
            out += TableCode(static_cast<std::int32_t>(attribute + Base));
            state = Read::Plain;
        } else if (state == Read::SkipLine) {
            if (byte == '\n')
                state = Read::Plain;
        } else if (byte == '\f') {
            out += "\033[2J\033[H";
        } else if (byte == 0x0F) {
            state = Read::First;
        } else if (byte == 0x18) {
            state = Read::SkipLine;
        } else if (byte == 0x1A) {
            break;
        } else if (byte >= 32 || byte == '\a' || byte == '\n' || byte == '\r') {
            out += c;
        }
    }
    return out;
}
