// What the designer's pages show of a menu: a colour's ANSI parts and
// whether its text can be seen, repeated hotkeys, the blocks an entry's
// lines make, and each property as its line writes it.
#include "design/MenuLook.h"
#include "FileTree.h"
#include "design/MenuDesign.h"

using namespace Design;

TEST(MenuLookTest, AnsiPartsReadAndWrittenAsTheModulePrintsThem)
{
    struct Row {
        const char* ansi;
        int foreground, background;
        bool bright, blink, reverse;
        const char* written;
        bool hidden;
    };
    const std::vector<Row> rows = {
        { "37;40", 7, 0, false, false, false, "37;40", false },
        { "1;36;44", 6, 4, true, false, false, "1;36;44", false },
        { "7;37;40", 7, 0, false, false, true, "7;37;40", false },
        { "5;1;31;41", 1, 1, true, true, false, "1;5;31;41", false }, // bright red on red: still seen
        { "31;41", 1, 1, false, false, false, "31;41", true },
        { "0;7;30;40", 0, 0, false, false, true, "7;30;40", true },
        { "1;7;30;40", 0, 0, true, false, true, "1;7;30;40", false },
        { "44;33", 3, 4, false, false, false, "33;44", false },
        { "", 7, 0, false, false, false, "37;40", false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ansi);
        const AnsiParts parts = ReadAnsi(row.ansi);
        EXPECT_EQ(parts.foreground, row.foreground);
        EXPECT_EQ(parts.background, row.background);
        EXPECT_EQ(parts.bright, row.bright);
        EXPECT_EQ(parts.blink, row.blink);
        EXPECT_EQ(parts.reverse, row.reverse);
        EXPECT_EQ(WriteAnsi(parts), row.written);
        EXPECT_EQ(HardToSeeOnText(parts), row.hidden);
    }
}

TEST(MenuLookTest, GraphicalTextThatCannotBeSeen)
{
    const std::vector<std::tuple<Argb, Argb, bool>> rows = {
        { 0xFFFFFFFF, 0xFF000000, false },
        { 0xFF000000, 0xFF000000, true }, // black on black
        { 0xFF808080, 0xFF858585, true }, // grey on grey
        { 0x20FFFFFF, 0xFF000000, true }, // text almost transparent
        { 0xFF000000, 0x20FF8000, false }, // the picture shows through: nothing to say
        { 0xFFFFFF00, 0xFF0000FF, false },
    };
    for (const auto& [foreground, background, hidden] : rows)
        EXPECT_EQ(HardToSeeInGraphics(foreground, background), hidden) << std::hex << foreground << ' ' << background;
    EXPECT_EQ(ColourWords("37;40", 0x80FFFFFF, 0, MenuShadow::Std), "37;40 #80ffffff #00000000 std");
}

namespace {

MenuDesign Designed(const QTemporaryDir& tree, const QByteArray& config)
{
    WriteInTree(tree, QStringLiteral("isolinux/isolinux.cfg"), config);
    return MenuDesign(BootFiles::ForConfiguration(tree.filePath(QStringLiteral("isolinux/isolinux.cfg"))));
}

}

TEST(MenuLookTest, HotkeysTwiceAndTheLinesEachPropertyStandsOn)
{
    QTemporaryDir tree;
    const MenuDesign design = Designed(tree,
        "UI menu.c32\r\n"
        "LABEL a\r\n\tMENU LABEL ^Alpha\r\n\tLINUX /vmlinuz\r\n\tAPPEND  quiet splash\r\n\tINITRD /initrd.img\r\n"
        "\tMENU PASSWD secret\r\n\tTEXT HELP\r\n  first\r\n  second\r\n\tENDTEXT\r\n"
        "# a comment between\r\n"
        "LABEL b\r\n\tMENU LABEL ^also a\r\n"
        "MENU SEPARATOR\r\n"
        "LABEL c\r\n\tMENU LABEL ^Another\r\n\tMENU DISABLE\r\n");
    ASSERT_TRUE(design.HasMenu());
    const Menu& menu = design.Menus().At(MenuConfig::RootMenu);
    EXPECT_EQ(RepeatedHotkeys(menu), std::vector<int> { 1 }) << "the first ^A wins; a disabled entry claims none";
    const EntryRef a { MenuConfig::RootMenu, 0 };
    const std::vector<std::pair<Property, const char*>> written = {
        { Property::Label, "a" },
        { Property::MenuLabel, "^Alpha" },
        { Property::Kernel, "/vmlinuz" },
        { Property::Append, "quiet splash" },
        { Property::Initrd, "/initrd.img" },
        { Property::Password, "secret" },
        { Property::HelpText, "  first\n  second" },
    };
    for (const auto& [property, text] : written)
        EXPECT_EQ(design.Written(a, property), text) << static_cast<int>(property);
    EXPECT_EQ(design.Written({ MenuConfig::RootMenu, 1 }, Property::Append), "");

    const FileLines lines(design.Bytes("/isolinux/isolinux.cfg"));
    EXPECT_EQ(lines.Break(2), "\r\n");
    EXPECT_EQ(lines.BlockEnd(2), 11) << "through ENDTEXT, not the comment after it";
    EXPECT_EQ(lines.Kind(9), LineKind::Quiet) << "a help line is text, not a directive";
    EXPECT_EQ(lines.BlockEnd(15), 15) << "a separator is its own line";
    EXPECT_EQ(lines.ForeignLine(2, 11), std::nullopt);
    EXPECT_EQ(ArgumentStart("  menu  color   sel 37;40", 3), 20);
    EXPECT_TRUE(UpperCaseKeyword("\tLABEL x"));
    EXPECT_FALSE(UpperCaseKeyword("Label x"));
}

TEST(MenuLookTest, SettingsOfASubmenuAndTheHiddenEntries)
{
    QTemporaryDir tree;
    const MenuDesign design = Designed(tree,
        "UI menu.c32\nMENU COLOR sel 7;37;40\nLABEL h\n  MENU HIDE\nMENU BEGIN sub\n  MENU TITLE Sub\n"
        "  LABEL s\nMENU END\nMENU COLOR sel 7;32;40\n");
    // The top menu's colour is the later line's; the submenu took the earlier one at MENU BEGIN.
    const Change top = design.SetSetting(MenuConfig::RootMenu, { Setting::Kind::Colour, 5 }, "7;31;40");
    ASSERT_FALSE(top.Refused()) << top.refusal.toStdString();
    EXPECT_EQ(ApplyEdits(design.Bytes("/isolinux/isolinux.cfg"), top.edits, "/isolinux/isolinux.cfg"),
        "UI menu.c32\nMENU COLOR sel 7;37;40\nLABEL h\n  MENU HIDE\nMENU BEGIN sub\n  MENU TITLE Sub\n"
        "  LABEL s\nMENU END\nMENU COLOR sel 7;31;40\n");
    const Change sub = design.SetSetting(2, { Setting::Kind::Title, 0 }, "Tools");
    ASSERT_FALSE(sub.Refused()) << sub.refusal.toStdString();
    EXPECT_EQ(sub.edits.size(), 1u);
    EXPECT_EQ(sub.edits.front().text, "  MENU TITLE Tools");
    EXPECT_TRUE(design.Move({ MenuConfig::HiddenMenu, 0 }, 1).Refused());
    EXPECT_TRUE(design.Set({ MenuConfig::RootMenu, 0 }, Property::Label, "two\nlines").Refused());
    EXPECT_TRUE(design.SetSetting(MenuConfig::RootMenu, { Setting::Kind::Background, 0 }, "none.png")
                    .refusal.contains("There is no file"));
}
