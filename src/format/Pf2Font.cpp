#include "Pf2Font.h"

#include "format/Cp437.h"

#include <QtEndian>

#include <algorithm>

namespace {

constexpr qsizetype IndexEntry = 4 + 1 + 4;
constexpr qsizetype GlyphHeader = 5 * 2;

qsizetype BitBytes(int width, int height) { return (qsizetype(width) * height + 7) / 8; }

void Section(QByteArray& out, const char* name, QByteArrayView body)
{
    out.append(name, 4);
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(body.size()), length);
    out.append(length, 4);
    out.append(body);
}

QByteArray Short(int value)
{
    char bytes[2];
    qToBigEndian<quint16>(static_cast<quint16>(value), bytes);
    return QByteArray(bytes, 2);
}

QByteArray String(const QByteArray& text) { return text + '\0'; }

class Reader {
public:
    explicit Reader(QByteArrayView bytes)
        : m_bytes(bytes)
    {
    }
    bool Has(qsizetype at, qsizetype count) const { return at >= 0 && count >= 0 && at <= m_bytes.size() - count; }
    quint32 U32(qsizetype at) const { return qFromBigEndian<quint32>(m_bytes.data() + at); }
    quint16 U16(qsizetype at) const { return qFromBigEndian<quint16>(m_bytes.data() + at); }
    QByteArrayView Slice(qsizetype at, qsizetype count) const { return m_bytes.sliced(at, count); }

private:
    QByteArrayView m_bytes;
};

// The string a section holds, up to its first NUL as GRUB's strcmp sees it.
QByteArray SectionString(QByteArrayView body)
{
    const qsizetype end = body.indexOf('\0');
    return (end < 0 ? body : body.first(end)).toByteArray();
}

std::optional<Pf2Glyph> ReadGlyph(const Reader& in, qsizetype at, const Pf2Font& font)
{
    if (!in.Has(at, GlyphHeader))
        return std::nullopt;
    Pf2Glyph glyph;
    glyph.width = in.U16(at);
    glyph.height = in.U16(at + 2);
    glyph.xOffset = static_cast<qint16>(in.U16(at + 4));
    glyph.yOffset = static_cast<qint16>(in.U16(at + 6));
    glyph.deviceWidth = static_cast<qint16>(in.U16(at + 8));
    const qsizetype count = BitBytes(glyph.width, glyph.height);
    if (glyph.width > font.maxWidth || glyph.height > font.maxHeight || !in.Has(at + GlyphHeader, count))
        return std::nullopt;
    const QByteArrayView bits = in.Slice(at + GlyphHeader, count);
    glyph.bits.assign(bits.begin(), bits.end());
    return glyph;
}

struct IndexEntryRead {
    char32_t code;
    qsizetype offset;
};

bool ReadIndex(const Reader& in, qsizetype at, qsizetype length, std::vector<IndexEntryRead>& index)
{
    if (length % IndexEntry != 0)
        return false;
    index.clear();
    for (qsizetype entry = at; entry < at + length; entry += IndexEntry) {
        const char32_t code = in.U32(entry);
        if (!index.empty() && code <= index.back().code)
            return false;
        index.push_back({ code, static_cast<qsizetype>(in.U32(entry + 5)) });
    }
    return true;
}

bool ReadShort(const Reader& in, qsizetype at, qsizetype length, int& value)
{
    if (length != 2)
        return false;
    value = static_cast<qint16>(in.U16(at));
    return true;
}

}

bool Pf2Glyph::Dot(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return false;
    const qsizetype bit = qsizetype(y) * width + x;
    return (bits[static_cast<std::size_t>(bit / 8)] & (0x80 >> (bit % 8))) != 0;
}

const Pf2Glyph* Pf2Font::Glyph(char32_t code) const
{
    const auto found = glyphs.find(code);
    return found == glyphs.end() ? nullptr : &found->second;
}

std::optional<Pf2Font> ReadPf2(QByteArrayView bytes)
{
    const Reader in(bytes);
    if (!in.Has(0, 12) || bytes.first(4) != "FILE" || in.U32(4) != 4 || bytes.sliced(8, 4) != "PFF2")
        return std::nullopt;
    Pf2Font font;
    std::vector<IndexEntryRead> index;
    bool named = false;
    for (qsizetype at = 12; in.Has(at, 8);) {
        const QByteArrayView name = bytes.sliced(at, 4);
        const qsizetype length = in.U32(at + 4);
        const qsizetype body = at + 8;
        if (name == "DATA")
            break;
        bool fine = true;
        if (!in.Has(body, length)) {
            // GRUB seeks past a section it does not know, to the file's end.
            if (name != "NAME" && name != "FAMI" && name != "WEIG" && name != "SLAN" && name != "CHIX" && length != 2)
                break;
            return std::nullopt;
        }
        if (name == "NAME") {
            fine = !named;
            named = true;
            font.name = SectionString(in.Slice(body, length));
        } else if (name == "FAMI")
            font.family = SectionString(in.Slice(body, length));
        else if (name == "WEIG")
            font.weight = SectionString(in.Slice(body, length));
        else if (name == "SLAN")
            font.slant = SectionString(in.Slice(body, length));
        else if (name == "PTSZ")
            fine = ReadShort(in, body, length, font.pointSize);
        else if (name == "MAXW")
            fine = ReadShort(in, body, length, font.maxWidth);
        else if (name == "MAXH")
            fine = ReadShort(in, body, length, font.maxHeight);
        else if (name == "ASCE")
            fine = ReadShort(in, body, length, font.ascent);
        else if (name == "DESC")
            fine = ReadShort(in, body, length, font.descent);
        else if (name == "CHIX")
            fine = ReadIndex(in, body, length, index);
        if (!fine)
            return std::nullopt;
        at = body + length;
    }
    if (font.maxWidth == 0 || font.maxHeight == 0 || index.empty() || font.ascent == 0 || font.descent == 0)
        return std::nullopt;
    if (!named)
        font.name = "Unknown";
    for (const IndexEntryRead& entry : index) {
        std::optional<Pf2Glyph> glyph = ReadGlyph(in, entry.offset, font);
        if (!glyph)
            return std::nullopt;
        font.glyphs.emplace(entry.code, std::move(*glyph));
    }
    return font;
}

QByteArray WritePf2(const Pf2Font& font)
{
    QByteArray out;
    Section(out, "FILE", "PFF2");
    Section(out, "NAME", String(font.name));
    Section(out, "FAMI", String(font.family));
    Section(out, "WEIG", String(font.weight));
    Section(out, "SLAN", String(font.slant));
    Section(out, "PTSZ", Short(font.pointSize));
    Section(out, "MAXW", Short(font.maxWidth));
    Section(out, "MAXH", Short(font.maxHeight));
    Section(out, "ASCE", Short(font.ascent));
    Section(out, "DESC", Short(font.descent));
    // The glyphs start after the index and the DATA mark's eight bytes.
    qsizetype offset = out.size() + 8 + qsizetype(font.glyphs.size()) * IndexEntry + 8;
    QByteArray index;
    QByteArray data;
    for (const auto& [code, glyph] : font.glyphs) {
        char entry[IndexEntry] = {};
        qToBigEndian<quint32>(static_cast<quint32>(code), entry);
        qToBigEndian<quint32>(static_cast<quint32>(offset + data.size()), entry + 5);
        index.append(entry, IndexEntry);
        for (const int field : { glyph.width, glyph.height, glyph.xOffset, glyph.yOffset, glyph.deviceWidth })
            data.append(Short(field));
        QByteArray bits(reinterpret_cast<const char*>(glyph.bits.data()), qsizetype(glyph.bits.size()));
        bits.resize(BitBytes(glyph.width, glyph.height), '\0');
        data.append(bits);
    }
    Section(out, "CHIX", index);
    out.append("DATA\xff\xff\xff\xff", 8);
    out.append(data);
    return out;
}

Pf2Font Pf2FromPcFont(const PcFont& pc, const QByteArray& family)
{
    Pf2Font font;
    font.family = family;
    font.name = family + " Regular " + QByteArray::number(pc.height);
    font.pointSize = pc.height;
    font.maxWidth = 8;
    font.maxHeight = pc.height;
    font.descent = std::max(1, pc.height / 4);
    font.ascent = pc.height - font.descent;
    for (int byte = 0; byte < 256; ++byte) {
        Pf2Glyph glyph { 8, pc.height, 0, -font.descent, 8, {} };
        const auto first = pc.rows.begin() + std::ptrdiff_t(byte) * pc.height;
        glyph.bits.assign(first, first + pc.height);
        font.glyphs.emplace(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)), std::move(glyph));
    }
    return font;
}
