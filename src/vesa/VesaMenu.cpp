#include "VesaMenu.h"

#include "config/BootFiles.h"
#include "console/ColorConsole.h"
#include "format/Palette.h"

namespace Vesa {

namespace {

// The module's colour table (colors.c), in MenuColourNames' order.
constexpr std::array<Colour, MenuColourCount> Defaults = { {
    { 0x80FFFFFF, 0x00000000, Shadow::Std }, // screen
    { 0x40000000, 0x00000000, Shadow::Std }, // border
    { 0xC00090F0, 0x00000000, Shadow::Std }, // title
    { 0x90FFFFFF, 0x00000000, Shadow::Std }, // unsel
    { 0xFFFFFFFF, 0x00000000, Shadow::Std }, // hotkey
    { 0xE0000000, 0x20FF8000, Shadow::All }, // sel
    { 0xE0400000, 0x20FF8000, Shadow::All }, // hotsel
    { 0x40000000, 0x00000000, Shadow::Std }, // scrollbar
    { 0x90FFFF00, 0x00000000, Shadow::Std }, // tabmsg
    { 0xC000FFFF, 0x00000000, Shadow::Std }, // cmdmark
    { 0xC0FFFFFF, 0x00000000, Shadow::Std }, // cmdline
    { 0x80FFFFFF, 0x20FFFFFF, Shadow::Std }, // pwdborder
    { 0x80FF8080, 0x20FFFFFF, Shadow::Std }, // pwdheader
    { 0x80FFFFFF, 0x20FFFFFF, Shadow::Std }, // pwdentry
    { 0x80FFFFFF, 0x00000000, Shadow::Std }, // timeout_msg
    { 0xC0FFFFFF, 0x00000000, Shadow::Std }, // timeout
    { 0xC0FFFFFF, 0x00000000, Shadow::Std }, // help
    { 0x60CCCCCC, 0x00000000, Shadow::Std }, // disabled
} };

Rgb RgbOf(TColor colour)
{
    return static_cast<Rgb>(RedOf(colour)) << 16 | static_cast<Rgb>(GreenOf(colour)) << 8
        | static_cast<Rgb>(BlueOf(colour));
}

std::optional<Shadow> ParseShadow(const QByteArray& word)
{
    const std::pair<const char*, Shadow> modes[]
        = { { "none", Shadow::None }, { "std", Shadow::Std }, { "all", Shadow::All }, { "rev", Shadow::Rev } };
    for (const auto& [name, mode] : modes) {
        if (word == name)
            return mode;
    }
    return std::nullopt;
}

}

std::array<Colour, MenuColourCount> MenuColours(const Menu& menu)
{
    std::array<Colour, MenuColourCount> colours = Defaults;
    for (std::size_t index = 0; index < MenuColourCount; ++index) {
        if (!menu.colours[index].argb)
            continue;
        const QList<QByteArray> words = menu.colours[index].argb->simplified().split(' ');
        Colour& colour = colours[index];
        // "*" keeps the colour the entry has.
        if (!words.isEmpty() && words[0] != "*")
            colour.foreground = MenuArgb(words[0]);
        if (words.size() > 1 && words[1] != "*")
            colour.background = MenuArgb(words[1]);
        if (words.size() > 2)
            colour.shadow = ParseShadow(words[2]).value_or(colour.shadow);
    }
    return colours;
}

TextLayer MenuText(const TColorConsole& console, const Menu& menu, bool cursorShown)
{
    const std::array<Colour, MenuColourCount> colours = MenuColours(menu);
    const auto cellOf = [&](std::uint8_t byte, std::size_t index) {
        if (index < MenuColourCount)
            return Cell { byte, colours[index].foreground, colours[index].background, colours[index].shadow };
        // A message colour (F-key screens): the VGA palette, opaque.
        const std::size_t attribute = (index - MenuColourCount) & 0xFF;
        return Cell { byte, 0xFF000000u | RgbOf(Palette[attribute & 0x0F]),
            0xFF000000u | RgbOf(Palette[attribute >> 4]), Shadow::Std };
    };
    TextLayer text;
    text.cols = console.Cols();
    text.rows = console.Rows();
    for (int row = 0; row < text.rows; ++row) {
        for (int column = 0; column < text.cols; ++column)
            text.cells.push_back(cellOf(static_cast<std::uint8_t>(console.CharAt(column, row)),
                static_cast<std::size_t>(console.CellAttr(column, row).Color())));
    }
    text.ring = cellOf(' ', 0);
    if (cursorShown)
        text.cursor = std::pair(console.Cursor().x, console.Cursor().y);
    return text;
}

Picture MenuBackground(const QByteArray& background, const BootFiles& files, const QByteArray& folder, int width,
    int height, const PictureDecoder& decode)
{
    if (background.isEmpty())
        return RadialBackground(width, height);
    if (background.startsWith('#'))
        return Picture(width, height, MenuArgb(background) & 0xFFFFFF);
    const std::optional<QByteArray> path = BootFiles::Resolve(folder, background);
    const std::optional<QByteArray> bytes = path ? files.Read(*path) : std::nullopt;
    if (!bytes)
        return Picture(width, height);
    const std::optional<Picture> picture = decode ? decode(*bytes) : std::nullopt;
    return picture ? PlaceBackground(*picture, width, height, true) : Picture(width, height);
}

Picture DrawMenu(const LoaderSim::Graphics& graphics, const Font& font, const PictureDecoder& decode)
{
    const Menu& shown = graphics.menu.Config().At(graphics.menu.MenuIndex());
    return Compose(
        MenuBackground(shown.background, graphics.files, graphics.folder, graphics.width, graphics.height, decode),
        MenuText(graphics.console, shown, graphics.menu.CursorShown()), graphics.font ? *graphics.font : font);
}

}
