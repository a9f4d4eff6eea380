#include "format/ByteReader.h"

#include <gtest/gtest.h>

namespace {

// One letter per byte: T text, B line break, L colour lead, b/f background
// and foreground digit, I image line, C code, E after the end.
std::string Roles(ScreenRules rules, std::string_view bytes, std::string* colours = nullptr)
{
    ByteReader reader(rules);
    std::string roles;
    for (char byte : bytes) {
        const ByteRole role = reader.Read(byte);
        roles += "TBLbfICE"[static_cast<int>(role)];
        if (colours && role == ByteRole::Text)
            *colours += "0123456789abcdef"[reader.State().background]
                + std::string(1, "0123456789abcdef"[reader.State().foreground]) + ' ';
    }
    return roles;
}

TEST(ByteReaderTest, ReadsEachByteAsThePreviewOrTheLoaderDoes)
{
    struct Case {
        ScreenRules rules;
        std::string_view bytes, roles, colours;
    };
    const Case cases[] = {
        { ScreenRules::Preview,
            "\x0f"
            "1eHi",
            "LbfTT", "1e 1e " },
        { ScreenRules::Preview,
            "\x0f"
            "A1x",
            "LbfT", "01 " }, // a capital is no digit: black
        { ScreenRules::Preview,
            "\x0f"
            "0\x0f"
            "17X",
            "LbLbfT", "17 " }, // 0x0F in the foreground place
        { ScreenRules::Preview,
            "\x0f\x0f"
            "17X",
            "LbfTT", "01 01 " },
        { ScreenRules::Preview, "A\x18n.lss\r\nB", "TIIIIIIIIT", "07 07 " },
        { ScreenRules::Preview, "\x0c\x1a\x7f", "CCT", "07 " },
        { ScreenRules::Boot,
            "\x0f"
            "1EHi",
            "LbfTT", "1e 1e " }, // either case
        { ScreenRules::Boot,
            "\x0f"
            "x1Y",
            "LbTT", "07 07 " }, // a non-digit is swallowed, colour 07
        { ScreenRules::Boot,
            "a\x1a"
            "b\xff",
            "TEEE", "07 " },
        { ScreenRules::Boot,
            "\x14"
            "s\x11t",
            "CTCT", "07 07 " },
        { ScreenRules::Boot, "\x0f\x18x", "LbT", "07 " }, // 0x18 in a command is a bad digit
        { ScreenRules::Boot, "\x0b\x7f\t", "BCC", "" },
    };
    for (const Case& c : cases) {
        std::string colours;
        EXPECT_EQ(Roles(c.rules, c.bytes, &colours), c.roles) << c.bytes;
        EXPECT_EQ(colours, c.colours) << c.bytes;
    }
}

TEST(ByteReaderTest, ColumnsSkipCommandsAndFollowTheLoadersTabsAndResets)
{
    struct Case {
        ScreenRules rules;
        std::string_view bytes;
        int column;
    };
    const Case cases[] = {
        { ScreenRules::Preview,
            "\x0f"
            "1eab",
            2 },
        { ScreenRules::Preview, "abc\b", 2 }, { ScreenRules::Preview, "ab\tc", 3 }, // the preview's console ignores TAB
        { ScreenRules::Boot, "ab\tc", 9 }, { ScreenRules::Boot, "a\x01", 4 }, // "[0m"
        { ScreenRules::Boot,
            "abc\x0c"
            "d",
            1 },
        { ScreenRules::Boot,
            "a\x14"
            "bcd",
            1 }, // hidden text takes no room
    };
    for (const Case& c : cases) {
        ByteReader reader(c.rules);
        int column = 0;
        for (char byte : c.bytes)
            column = reader.ColumnAfter(column, reader.Read(byte), byte);
        EXPECT_EQ(column, c.column) << c.bytes;
    }
}

TEST(ByteReaderTest, StatePacksIntoANonNegativeInt)
{
    ReaderState state { .foreground = 14,
        .background = 9,
        .pendingBackground = 15,
        .colour = ReaderState::Colour::Foreground,
        .imageLine = true,
        .ended = true,
        .lineDrawing = true,
        .output = 0x16 };
    EXPECT_GE(state.Packed(), 0);
    EXPECT_EQ(ReaderState::Unpacked(state.Packed()), state);
    EXPECT_EQ(ReaderState::Unpacked(ReaderState {}.Packed()), ReaderState {});
}

}
