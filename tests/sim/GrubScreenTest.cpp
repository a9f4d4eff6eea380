// GRUB's gfxmenu as GrubScreen draws it, on small themes whose pixels say
// which rule put them there: the theme reader's refusals, placement
// numbers, scrolling, the pixmap boxes' pads and places, the canvas's
// bounds, blending, labels and the countdown.
#include "sim/grub/GrubScreen.h"
#include "sim/grub/GrubThemeFile.h"

#include "format/Pf2Font.h"
#include "vesa/BackgroundFit.h"

#include <gtest/gtest.h>

#include <map>

using Vesa::Picture;
using Vesa::Rgb;

namespace {

// "A" is a full 8 x 16 block, "B" its top-left dot; ascent 12.
Pf2Font BlockFont(const QByteArray& name)
{
    Pf2Font font;
    font.name = name;
    font.maxWidth = 8;
    font.maxHeight = 16;
    font.ascent = 12;
    font.descent = 4;
    font.glyphs['A'] = { 8, 16, 0, -4, 8, std::vector<std::uint8_t>(16, 0xFF) };
    std::vector<std::uint8_t> dot(16, 0);
    dot[0] = 0x80;
    font.glyphs['B'] = { 8, 16, 0, -4, 8, dot };
    font.glyphs[' '] = { 8, 16, 0, -4, 8, std::vector<std::uint8_t>(16, 0) };
    return font;
}

QByteArray Png(int width, int height, Rgb colour, int alpha = 255)
{
    return Vesa::WriteRgbaPng(
        Picture(width, height, colour), std::vector<std::uint8_t>(std::size_t(width * height), std::uint8_t(alpha)));
}

struct Theme {
    std::map<QByteArray, QByteArray> files { { GrubFontFile, WritePf2(BlockFont("Block")) } };
    GrubMenuView view { { "AAA", "ABA", "BBB", "AAAAAAAAAAAAAAAAAAAA" }, 0, 0, -1 };

    GrubMenuDrawing Draw(const QByteArray& text, int width = 64, int height = 48)
    {
        files["t/theme.txt"] = text;
        const GrubFileReader reader = [this](const QByteArray& path) -> std::optional<QByteArray> {
            const auto found = files.find(path);
            return found == files.end() ? std::nullopt : std::optional(found->second);
        };
        return DrawGrubMenuScreen(reader, "t/theme.txt", view, width, height);
    }
};

constexpr const char* Plain = "title-text: \"\"\ndesktop-color: \"#102030\"\n";
constexpr Rgb Desk = 0x102030;

QByteArray List(const QByteArray& properties)
{
    return QByteArray(Plain) + "+ boot_menu { left = 0 top = 0 width = 64 height = 48 item_font = \"Block\" "
        + "item_height = 16 item_padding = 0 item_spacing = 0 icon_width = 0 item_icon_space = 0 "
        + "item_color = \"#ff0000\" selected_item_color = \"#00ff00\" scrollbar_left_pad = 0 " + properties + " }\n";
}

}

TEST(GrubScreenTest, ThemesAsGrubsLoaderTakesThem)
{
    const struct {
        const char* text;
        bool read;
    } rows[] = {
        { "title-text: \"x\"\n# a comment\n+ label { text = \"a b\" left = 50%-10 }\n", true },
        { "title-text: x\n", false }, // a screen property's value must be quoted
        { "frobnicate: \"x\"\n", false }, // one GRUB does not know
        { "title-text \"x\"\n", false }, // no ':'
        { "+ widget { }\n", false }, { "+ label text = \"x\" }\n", false }, // no '{'
        { "+ label { text \"x\" }\n", false }, // no '='
        { "+ label { + label { } }\n", false }, // a label holds no components
        { "+ canvas { + label { text = \"x\" } }\n", true },
        { "+ boot_menu { item_color = #fff scrollbar = false }\n", true }, // a component's values may be words
    };
    QByteArray deep;
    for (int depth = 0; depth < 1000; ++depth)
        deep += "+ canvas {";
    EXPECT_FALSE(ReadGrubTheme(deep).theme); // refused, not a stack run out
    for (const auto& row : rows) {
        const GrubThemeReading reading = ReadGrubTheme(row.text);
        EXPECT_EQ(reading.theme.has_value(), row.read) << row.text;
        EXPECT_EQ(reading.problem.isEmpty(), row.read) << row.text;
    }
    const GrubThemeReading reading = ReadGrubTheme(rows[0].text);
    ASSERT_TRUE(reading.theme);
    EXPECT_EQ(reading.theme->components.at(0).Value("text"), "a b");
    Theme theme;
    const GrubMenuDrawing refused = theme.Draw("title-text: x\n");
    EXPECT_FALSE(refused.problem.isEmpty());
    EXPECT_EQ(refused.picture, Picture(64, 48));
    EXPECT_FALSE(theme.Draw(QByteArray(Plain) + "desktop-image: \"none.png\"\n").problem.isEmpty());
}

TEST(GrubScreenTest, PlacesAndScrolling)
{
    const struct {
        const char* value;
        int size;
        int expected;
    } places[] = { { "20", 640, 20 }, { "50%", 640, 320 }, { "50%-10", 640, 310 }, { "100%+-5", 480, 475 },
        { "33%", 100, 32 }, { "-8", 100, -8 } };
    for (const auto& place : places)
        EXPECT_EQ(GrubProportional(place.value, place.size), place.expected) << place.value;
    const struct {
        int first, selected, shown, expected;
    } scrolls[] = { { 0, 2, 5, 0 }, { 0, 7, 5, 3 }, { 3, 1, 5, 1 }, { 3, 7, 5, 3 }, { 3, -1, 5, 3 } };
    for (const auto& scroll : scrolls)
        EXPECT_EQ(GrubFirstShown(scroll.first, scroll.selected, scroll.shown), scroll.expected)
            << scroll.first << " " << scroll.selected;
    // A 48-pixel list shows three rows: the fourth entry scrolls it by one.
    Theme theme;
    theme.view.selected = 3;
    const GrubMenuDrawing drawing = theme.Draw(List(""));
    EXPECT_EQ(drawing.first, 1);
    EXPECT_EQ(drawing.picture.At(0, 0), 0xFF0000u); // "ABA", the second entry, on the first row
    EXPECT_EQ(drawing.picture.At(8, 2), Desk); // its "B" has only a dot
    EXPECT_EQ(drawing.picture.At(0, 32), 0x00FF00u); // the selection on the last row
    // Padding on every side: 68 pixels hold three rows, from 4 down.
    const GrubMenuDrawing padded = theme.Draw(
        List("").replace("item_padding = 0", "item_padding = 4").replace("height = 48", "height = 68"), 64, 80);
    EXPECT_EQ(padded.first, 1);
    EXPECT_EQ(padded.picture.At(4, 4), 0xFF0000u);
    EXPECT_EQ(padded.picture.At(4, 3), Desk);
}

TEST(GrubScreenTest, BoxPiecesAndPads)
{
    Theme theme;
    theme.files["t/sel_nw.png"] = Png(3, 2, 0xAA0000);
    theme.files["t/sel_n.png"] = Png(1, 2, 0x00AA00);
    theme.files["t/sel_e.png"] = Png(5, 1, 0x0000AA);
    theme.files["t/sel_c.png"] = Png(1, 1, 0xFFFFFF);
    theme.files["t/sel_s.png"] = Png(1, 1, 0x808080, 128);
    theme.view.titles = { "B", "A" };
    const Picture picture = theme.Draw(List("selected_item_pixmap_style = \"sel_*.png\"")).picture;
    // Pads: left 3 (NW's width), top 2, right 5, bottom 1. The selected
    // row's box from (0, 0): NW, N stretched over the content, E beside it.
    EXPECT_EQ(picture.At(0, 0), 0xAA0000u);
    EXPECT_EQ(picture.At(3, 1), 0x00AA00u);
    EXPECT_EQ(picture.At(64 - 5 - 1, 2), 0xFFFFFFu); // the centre over the content's width
    EXPECT_EQ(picture.At(64 - 5, 2), 0x0000AAu);
    EXPECT_EQ(picture.At(64 - 5, 17), 0x0000AAu); // E stretched over the content's height
    // The south side blended at alpha 128 over the desktop, as GRUB mixes.
    const auto mix = [](int d, int s) { return (d * (255 ^ 128) + s * 128) / 255; };
    EXPECT_EQ(picture.At(20, 18), Rgb(mix(0x10, 0x80)) << 16 | Rgb(mix(0x20, 0x80)) << 8 | Rgb(mix(0x30, 0x80)));
    // The titles from the widest left pad, each below its own box's top
    // pad: the selected "B" two rows down, the unselected "A" on its row.
    EXPECT_EQ(picture.At(3, 2), 0x00FF00u);
    EXPECT_NE(picture.At(4, 2), 0x00FF00u);
    EXPECT_EQ(picture.At(3, 16), 0xFF0000u);
    EXPECT_EQ(picture.At(2, 16), Desk);
}

TEST(GrubScreenTest, CanvasBoundsAndTextViewports)
{
    Theme theme;
    // Declared 10 wide, the list takes its minimal size: "Typical OS" in
    // the font's widths (the unknown glyph's 8 for each) plus its pads.
    theme.view.titles = { "AAAAAAAAAAAA" };
    Picture picture = theme.Draw(List("").replace("width = 64", "width = 10"), 200, 48).picture;
    EXPECT_EQ(picture.At(79, 0), 0x00FF00u);
    EXPECT_EQ(picture.At(80, 0), Desk);
    // A list reaching the screen's edge ends there; a right pad shortens
    // the title's viewport.
    theme.files["t/sel_e.png"] = Png(16, 1, 0, 0);
    picture = theme.Draw(List("selected_item_pixmap_style = \"sel_*.png\"").replace("left = 0", "left = 24")).picture;
    EXPECT_EQ(picture.At(24 + 23, 0), 0x00FF00u);
    EXPECT_EQ(picture.At(24 + 24, 0), Desk);
    // A right pad wider than what the screen leaves the list: GRUB's
    // viewport width wraps below zero and the title runs to the screen's edge.
    theme.files["t/item_e.png"] = Png(100, 1, 0, 0);
    theme.view.selected = 1;
    picture = theme.Draw(List("item_pixmap_style = \"item_*.png\"").replace("left = 0", "left = 40")).picture;
    EXPECT_EQ(picture.At(63, 0), 0xFF0000u);
    theme.view.selected = 0;
    // The scroll bar's default east slice keeps 2 pixels off the items.
    picture = theme.Draw(List("").replace("scrollbar_left_pad = 0", "")).picture;
    EXPECT_EQ(picture.At(61, 0), 0x00FF00u);
    EXPECT_EQ(picture.At(62, 0), Desk);
}

TEST(GrubScreenTest, TextColoursLabelsAndOrder)
{
    Theme theme;
    // Text alpha is lost on UEFI's framebuffer: drawn opaque.
    Picture picture = theme.Draw(List("").replace("#00ff00", "#00ff0000")).picture;
    EXPECT_EQ(picture.At(0, 0), 0x00FF00u);
    const QByteArray countdown = QByteArray(Plain)
        + "+ label { id = \"__timeout__\" left = 0 top = 0 width = 64 height = 16 font = \"Block\" "
          "color = \"#ffffff\" align = \"center\" text = \"%dA\" }\n";
    EXPECT_EQ(theme.Draw(countdown).picture, Picture(64, 48, Desk)); // not counting
    theme.view.secondsLeft = 7;
    picture = theme.Draw(countdown).picture;
    // "7A": the 7 is no glyph of the font, so GRUB's stand-in; centred.
    EXPECT_EQ(picture.At(24 + 8, 5), 0xFFFFFFu);
    EXPECT_EQ(picture.At(24 + 16, 5), Desk);
    EXPECT_EQ(picture.At(24, 0), 0xFFFFFFu); // the stand-in's second row, its first above the label
    EXPECT_EQ(picture.At(25, 0), Desk);
    // Components are painted newest first: the one written first is on top.
    const QByteArray labels = QByteArray(Plain)
        + "+ label { left = 0 top = 0 font = \"Block\" color = \"#0000ff\" text = \"A\" }\n"
          "+ label { left = 0 top = 0 font = \"Block\" color = \"#ff0000\" text = \"AA\" }\n";
    picture = theme.Draw(labels).picture;
    EXPECT_EQ(picture.At(0, 0), 0x0000FFu);
    EXPECT_EQ(picture.At(8, 0), 0xFF0000u);
}

TEST(GrubScreenTest, DesktopImageStretchedAsGrubScales)
{
    Theme theme;
    Picture source(2, 2);
    source.At(1, 0) = 0xFF0000;
    source.At(0, 1) = 0x0000FF;
    source.At(1, 1) = 0xFFFFFF;
    theme.files["t/d.png"] = Vesa::WriteRgbPng(source);
    const Picture picture = theme.Draw("title-text: \"\"\ndesktop-image: \"d.png\"\n", 4, 4).picture;
    EXPECT_EQ(picture.At(0, 0), 0u);
    EXPECT_EQ(picture.At(1, 1), 0x7F3F7Fu); // halfway across and down: a quarter of each corner
    EXPECT_EQ(picture.At(3, 0), 0xFF0000u); // the last column takes the nearest pixel
    EXPECT_EQ(picture.At(1, 3), 0x0000FFu);
    theme.files["t/d.png"] = Vesa::WriteRgbPng(Picture(4, 4, 0x123456));
    EXPECT_EQ(theme.Draw("title-text: \"\"\ndesktop-image: \"d.png\"\n", 4, 4).picture, Picture(4, 4, 0x123456));
}
