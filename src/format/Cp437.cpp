#include "Cp437.h"

#include "DisplayCodes.h"

#include <array>
#include <unordered_map>

namespace Cp437 {

namespace {

// Glyphs for 0x00-0x1F and 0x7F-0xFF; 0x20-0x7E are ASCII. The PC shows
// NUL as a blank; here it is the symbol for null, so it stays visible and
// cannot be taken for a space.
constexpr char16_t LowGlyphs[32] = {
    0x2400, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022, //
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C, //
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8, //
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC, //
};

constexpr char16_t HighGlyphs[129] = {
    0x2302, // 0x7F
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, // 0x80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, //
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, // 0x90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, //
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, // 0xA0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, //
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, // 0xB0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, //
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, // 0xC0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, //
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, // 0xD0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, //
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, // 0xE0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, //
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, // 0xF0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0, //
};

const std::array<char16_t, 256>& Table()
{
    static const auto table = [] {
        std::array<char16_t, 256> result {};
        for (int byte = 0; byte < 256; ++byte) {
            if (byte < 0x20)
                result[byte] = LowGlyphs[byte];
            else if (byte < 0x7F)
                result[byte] = static_cast<char16_t>(byte);
            else
                result[byte] = HighGlyphs[byte - 0x7F];
        }
        return result;
    }();
    return table;
}

const std::unordered_map<char32_t, std::uint8_t>& ReverseTable()
{
    static const auto reverse = [] {
        std::unordered_map<char32_t, std::uint8_t> result;
        for (int byte = 0; byte < 256; ++byte)
            result.emplace(Table()[byte], static_cast<std::uint8_t>(byte));
        return result;
    }();
    return reverse;
}

constexpr char32_t ParagraphSeparator = 0x2029;

}

char16_t ToUnicode(std::uint8_t byte) { return Table()[byte]; }

int FromUnicode(char32_t character)
{
    if ((character >= 0x20 && character < 0x7F) || (character >= 0x01 && character < 0x20) || character == 0x7F)
        return static_cast<int>(character);
    auto found = ReverseTable().find(character);
    return found == ReverseTable().end() ? -1 : found->second;
}

QString DecodeCells(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (char byte : bytes)
        *out++ = QChar(ToUnicode(static_cast<std::uint8_t>(byte)));
    return text;
}

QString DecodeDocument(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == DisplayCode::CR && i + 1 < bytes.size() && bytes[i + 1] == DisplayCode::LF) {
            text += QLatin1Char('\n');
            ++i;
        } else {
            text += QChar(ToUnicode(static_cast<std::uint8_t>(bytes[i])));
        }
    }
    return text;
}

EncodedText EncodeDocument(QStringView text)
{
    EncodedText result;
    result.bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t character = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (character == U'\n' || character == ParagraphSeparator) {
            result.bytes += "\r\n";
            continue;
        }
        int byte = FromUnicode(character);
        if (byte >= 0) {
            result.bytes += static_cast<char>(byte);
            continue;
        }
        QString unmappable = QString::fromUcs4(&character, 1);
        if (!result.unmappable.contains(unmappable))
            result.unmappable += unmappable;
        result.bytes += '?';
    }
    return result;
}

InsertedText Insertable(QStringView text)
{
    QString breaks = text.toString();
    breaks.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    EncodedText encoded = EncodeDocument(breaks);
    return { DecodeDocument(encoded.bytes), encoded.unmappable };
}

QByteArray CellsToUtf8(QByteArrayView bytes) { return DecodeCells(bytes).toUtf8(); }

}
