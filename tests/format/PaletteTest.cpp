#include "format/Palette.h"

#include <gtest/gtest.h>

#include <string>

TEST(Palette, PackedValuesAreBgrWithBrownAtSix)
{
    EXPECT_EQ(Palette[0x1], 0x00AA0000u);
    EXPECT_EQ(Palette[0x4], 0x000000AAu);
    EXPECT_EQ(Palette[0x6], 0x000055AAu); // brown, not dark yellow
    EXPECT_EQ(Palette[0x7], 0x00AAAAAAu);
    EXPECT_EQ(Palette[0xc], 0x005555FFu);
    EXPECT_EQ(Palette[0xe], 0x0055FFFFu);
    for (TColor colour : Palette) {
        for (int component : { RedOf(colour), GreenOf(colour), BlueOf(colour) })
            EXPECT_TRUE(component == 0 || component == 0x55 || component == 0xAA || component == 0xFF);
        EXPECT_EQ(colour >> 24, 0u);
    }
}

TEST(Palette, OnlyLowerCaseDigitsAreDigits)
{
    for (int byte = 0; byte < 256; ++byte) {
        const char ch = static_cast<char>(byte);
        std::optional<int> expected;
        if (ch >= '0' && ch <= '9')
            expected = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            expected = ch - 'a' + 10;
        EXPECT_EQ(HexDigitValue(ch), expected) << byte;
    }
}

TEST(Palette, CommandColours)
{
    struct Case {
        std::string command;
        TColor background;
        TColor foreground;
    };
    const Case cases[] = {
        { "\x0f"
          "1e",
            0x00AA0000, 0x0055FFFF },
        { "\x0f"
          "A1",
            Palette[0], Palette[1] },
        { "\x0f"
          "1F",
            Palette[1], Palette[7] },
        { "\x0f", Palette[0], Palette[7] },
        { "\x0f"
          "e",
            Palette[0xe], Palette[7] },
        { "\x0f"
          "c7",
            0x005555FF, Palette[7] },
        { "\x0f\x0f"
          "1",
            Palette[0], Palette[1] },
        { "", Palette[0], Palette[7] },
    };
    for (const Case& test : cases) {
        EXPECT_EQ(CommandBkColor(test.command), test.background) << test.command;
        EXPECT_EQ(CommandColor(test.command), test.foreground) << test.command;
    }
}

TEST(Palette, DigitOfColourIsTheInverse)
{
    for (int digit = 0; digit < 16; ++digit)
        EXPECT_EQ(PaletteDigitOf(Palette[digit]), digit);
    EXPECT_EQ(PaletteDigitOf(clWindow), std::nullopt);
}
