// GRUB's PF2 fonts: ours read back whole, grub-mkfont's files read and
// written again byte for byte, and what GRUB's loader refuses refused.
#include "format/Pf2Font.h"

#include "format/Cp437.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

PcFont Sample()
{
    PcFont font;
    font.rows.resize(256 * 16);
    for (std::size_t i = 0; i < font.rows.size(); ++i)
        font.rows[i] = static_cast<std::uint8_t>(i * 7 + i / 16);
    return font;
}

QByteArray Patched(QByteArray bytes, qsizetype at, QByteArrayView with)
{
    bytes.replace(at, with.size(), with.toByteArray());
    return bytes;
}

// The dots of a glyph as they stand in a cell of the PC font: row 0 at the
// cell's top, the baseline `ascent` rows below it.
bool CellDot(const Pf2Glyph& glyph, int ascent, int x, int y)
{
    const int top = ascent - glyph.yOffset - glyph.height;
    return glyph.Dot(x - glyph.xOffset, y - top);
}

}

TEST(Pf2FontTest, APcFontAtItsCodePointsReadBack)
{
    const PcFont pc = Sample();
    const Pf2Font font = Pf2FromPcFont(pc, "Glimra VGA");
    ASSERT_EQ(font.glyphs.size(), 256u);
    const std::optional<Pf2Font> read = ReadPf2(WritePf2(font));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, font);
    EXPECT_EQ(read->Height(), 17);
    for (const int byte : { 0x00, 0x01, 0x41, 0xB3, 0xDB, 0xFF }) {
        const Pf2Glyph* glyph = read->Glyph(Cp437::ToUnicode(std::uint8_t(byte)));
        ASSERT_NE(glyph, nullptr) << byte;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(CellDot(*glyph, read->ascent, x, y), (pc.rows[std::size_t(byte * 16 + y)] & (0x80 >> x)) != 0)
                    << byte << " " << x << "," << y;
    }
}

TEST(Pf2FontTest, GrubsOwnFontWrittenAgainAsItWas)
{
    QFile file(QStringLiteral("/usr/share/grub/ascii.pf2"));
    if (!file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "grub-common is not installed";
    const QByteArray bytes = file.readAll();
    const std::optional<Pf2Font> font = ReadPf2(bytes);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->name, "Unifont Regular 16");
    EXPECT_EQ(font->ascent + font->descent, 16);
    EXPECT_EQ(WritePf2(*font), bytes);
}

TEST(Pf2FontTest, GrubMkfontsCroppedGlyphsSitWhereTheCellHadThem)
{
    QTemporaryDir dir;
    const QString bdf = dir.filePath(QStringLiteral("f.bdf"));
    const QString pf2 = dir.filePath(QStringLiteral("f.pf2"));
    const PcFont pc = Sample();
    QByteArray text = "STARTFONT 2.1\nFONT f\nSIZE 16 72 72\nFONTBOUNDINGBOX 8 16 0 -4\nCHARS 3\n";
    const int codes[] = { 'A', 'g', 0x2592 };
    for (const int code : codes) {
        const int byte = Cp437::FromUnicode(char32_t(code));
        text += "STARTCHAR c\nENCODING " + QByteArray::number(code)
            + "\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 16 0 -4\nBITMAP\n";
        for (int y = 0; y < 16; ++y)
            text += QByteArray::number(pc.rows[std::size_t(byte * 16 + y)] | 0x100, 16).mid(1) + "\n";
        text += "ENDCHAR\n";
    }
    text += "ENDFONT\n";
    QFile out(bdf);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(text);
    out.close();
    QProcess mkfont;
    mkfont.start(QStringLiteral("grub-mkfont"), { QStringLiteral("-o"), pf2, bdf });
    if (!mkfont.waitForFinished() || mkfont.exitCode() != 0)
        GTEST_SKIP() << "grub-mkfont (grub-common) did not run";
    QFile made(pf2);
    ASSERT_TRUE(made.open(QIODevice::ReadOnly));
    const std::optional<Pf2Font> font = ReadPf2(made.readAll());
    ASSERT_TRUE(font);
    for (const int code : codes) {
        const Pf2Glyph* glyph = font->Glyph(char32_t(code));
        ASSERT_NE(glyph, nullptr) << code;
        const int byte = Cp437::FromUnicode(char32_t(code));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(CellDot(*glyph, 12, x, y), (pc.rows[std::size_t(byte * 16 + y)] & (0x80 >> x)) != 0)
                    << code << " " << x << "," << y;
    }
}

TEST(Pf2FontTest, WhatGrubsLoaderRefuses)
{
    Pf2Font small = Pf2FromPcFont(Sample(), "T");
    small.glyphs.erase(small.glyphs.begin(), std::next(small.glyphs.begin(), 254));
    const QByteArray good = WritePf2(small);
    const qsizetype chix = good.indexOf("CHIX");
    const qsizetype data = good.indexOf("DATA");
    const struct {
        const char* name;
        QByteArray bytes;
        bool read;
    } rows[] = {
        { "as written", good, true },
        { "cut before the DATA mark: no glyphs", good.first(data), false },
        { "an unknown section skipped", Patched(good, good.indexOf("FAMI"), "XXXX"), true },
        { "not PFF2", Patched(good, 8, "PFF1"), false },
        { "FILE not first", Patched(good, 0, "FILX"), false },
        { "a short ASCE", Patched(good, good.indexOf("ASCE") + 4, QByteArray("\0\0\0\3", 4)), false },
        { "codes not ascending", Patched(good, chix + 8 + 9, QByteArray("\0\0\0\0", 4)), false },
        { "a code twice", Patched(good, chix + 8 + 9, good.mid(chix + 8, 4)), false },
        { "two NAME sections", Patched(good, good.indexOf("FAMI"), "NAME"), false },
        { "an index of 8-byte entries", Patched(good, chix + 4, QByteArray("\0\0\0\x10", 4)), false },
        { "no descent", Patched(good, good.indexOf("DESC") + 8, QByteArray("\0\0", 2)), false },
        { "a glyph wider than MAXW", Patched(good, good.indexOf("MAXW") + 8, QByteArray("\0\7", 2)), false },
        { "a glyph past the file's end", good.first(good.size() - 1), false },
        { "a glyph offset past the end", Patched(good, chix + 8 + 5, "\x7f\0\0\0"), false },
    };
    for (const auto& row : rows)
        EXPECT_EQ(ReadPf2(row.bytes).has_value(), row.read) << row.name;
}
