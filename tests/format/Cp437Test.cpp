#include "format/Cp437.h"

#include <gtest/gtest.h>

#include <QSet>

#include <iconv.h>

#include <random>

// glibc's own CP437 converter is the reference for the upper half.
static char32_t IconvCp437(unsigned char byte)
{
    iconv_t converter = iconv_open("UTF-32LE", "CP437");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return 0;
    char in = static_cast<char>(byte);
    char32_t out = 0;
    char* inPointer = &in;
    char* outPointer = reinterpret_cast<char*>(&out);
    size_t inLeft = 1, outLeft = sizeof out;
    iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    return out;
}

TEST(Cp437, UpperHalfAgreesWithTheSystemConverter)
{
    if (IconvCp437(0x80) == 0)
        GTEST_SKIP() << "no CP437 converter in this C library";
    for (int byte = 0x80; byte < 0x100; ++byte)
        EXPECT_EQ(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)), IconvCp437(static_cast<unsigned char>(byte)))
            << std::hex << byte;
}

TEST(Cp437, ControlBytesShowAsPcGlyphs)
{
    const std::pair<int, char16_t> glyphs[] = {
        { 0x01, u'☺' },
        { 0x02, u'☻' },
        { 0x07, u'•' },
        { 0x0A, u'◙' },
        { 0x0C, u'♀' },
        { 0x0D, u'♪' },
        { 0x0F, u'☼' },
        { 0x18, u'↑' },
        { 0x19, u'↓' },
        { 0x1B, u'←' },
        { 0x1F, u'▼' },
        { 0x7F, u'⌂' },
        { 0x20, u' ' },
        { 0x41, u'A' },
        { 0x7E, u'~' },
        { 0xC9, u'╔' },
        { 0xDB, u'█' },
        { 0xFF, u'\u00A0' },
    };
    for (auto [byte, glyph] : glyphs)
        EXPECT_EQ(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)), glyph) << byte;
}

TEST(Cp437, EveryNonZeroByteHasItsOwnGlyph)
{
    QSet<char16_t> seen;
    for (int byte = 1; byte < 256; ++byte) {
        const char16_t glyph = Cp437::ToUnicode(static_cast<std::uint8_t>(byte));
        EXPECT_FALSE(seen.contains(glyph)) << byte;
        seen.insert(glyph);
        EXPECT_EQ(Cp437::FromUnicode(glyph), byte);
    }
}

TEST(Cp437, LineBreaksAndLoneCrLf)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        { "A\r\nB", "A\nB" },
        { "A\nB", QString("A") + QChar(0x25D9) + "B" },
        { "A\rB", QString("A") + QChar(0x266A) + "B" },
        { "\n\r", QString(QChar(0x25D9)) + QChar(0x266A) },
        { "\r\r\n", QString(QChar(0x266A)) + "\n" },
        { "\r\n\n", QString("\n") + QChar(0x25D9) },
        { "", "" },
    };
    for (const auto& test : cases) {
        EXPECT_EQ(Cp437::DecodeDocument(test.bytes), test.text) << test.bytes.toHex().constData();
        EXPECT_EQ(Cp437::EncodeDocument(test.text).bytes, test.bytes);
    }
}

TEST(Cp437, EveryByteStringWithoutNulSurvivesTheRoundTrip)
{
    std::mt19937 random(437);
    // Skewed towards CR and LF so every combination of them turns up.
    std::uniform_int_distribution<int> pick(0, 299);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int length = round % 40;
        for (int i = 0; i < length; ++i) {
            const int value = pick(random);
            bytes += value >= 255 ? (value % 2 ? '\r' : '\n') : static_cast<char>(value + 1);
        }
        const Cp437::EncodedText encoded = Cp437::EncodeDocument(Cp437::DecodeDocument(bytes));
        ASSERT_EQ(encoded.bytes, bytes) << bytes.toHex().constData();
        ASSERT_TRUE(encoded.unmappable.isEmpty());
    }
}

TEST(Cp437, TypedControlCharactersAndParagraphSeparatorsAreAccepted)
{
    EXPECT_EQ(Cp437::EncodeDocument(u"a\tb").bytes, QByteArray("a\tb"));
    EXPECT_EQ(Cp437::EncodeDocument(QString("a") + QChar(0x2029) + "b").bytes, QByteArray("a\r\nb"));
    EXPECT_EQ(Cp437::EncodeDocument(QString(QChar(0x1B))).bytes, QByteArray("\x1b"));
    EXPECT_EQ(Cp437::EncodeDocument(QString(QChar(0x7F))).bytes, QByteArray("\x7f"));
}

TEST(Cp437, UnmappableCharactersAreReportedOnceAndMarked)
{
    const QString text = QString("€a€") + QString::fromUtf8("😀") + QChar(0x0000);
    const Cp437::EncodedText encoded = Cp437::EncodeDocument(text);
    EXPECT_EQ(encoded.bytes, QByteArray("?a???"));
    EXPECT_EQ(encoded.unmappable, QString("€") + QString::fromUtf8("😀") + QChar(0x0000));
}

TEST(Cp437, CellsKeepEveryByteAsOneCharacter)
{
    const QByteArray cells("\r\n\xc9\xcd");
    EXPECT_EQ(Cp437::DecodeCells(cells), QString::fromUtf8("♪◙╔═"));
    EXPECT_EQ(Cp437::CellsToUtf8(cells), QByteArray("♪◙╔═"));
}

TEST(Cp437, TextFromOutsideTakesOpensLineBreaksAndMarksWhatHasNoByte)
{
    struct Case {
        QString outside;
        QByteArray bytes; // of the inserted text
        QString unmappable;
    };
    const Case cases[] = {
        { QString::fromUtf8("x\r\ny€"), "x\r\ny?", QString::fromUtf8("€") },
        { QString::fromUtf8("x\ry€"), "x\r\ny?", QString::fromUtf8("€") },
        { "x\ry", "x\r\ny", "" },
        { "x\n\ry", "x\r\n\r\ny", "" },
        { QString("a") + QChar(0x2400) + "b", QByteArray("a\0b", 3), "" },
        { QString("a") + QChar(0x0000), "a?", QString(QChar(0x0000)) },
    };
    for (const Case& test : cases) {
        const Cp437::InsertedText inserted = Cp437::Insertable(test.outside);
        EXPECT_EQ(Cp437::EncodeDocument(inserted.text).bytes, test.bytes) << test.outside.toStdString();
        EXPECT_EQ(inserted.unmappable, test.unmappable) << test.outside.toStdString();
    }
}
