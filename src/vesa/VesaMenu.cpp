#include "VesaMenu.h"

#include "config/BootFiles.h"
#include "console/ColorConsole.h"

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

// The message colours msg00-msgff that F-key screens use, as colors.c
// makes them from MENU MSGCOLOR's defaults: the PC colour's full channels
// (6 is yellow, not brown) masked by the foreground's or background's, the
// bright ones at half alpha plus 0x80; a black background is transparent.
Colour MessageColour(std::size_t attribute)
{
    static constexpr std::array<Rgb, 8> PcColours
        = { 0x000000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF };
    constexpr Argb Foreground = 0x90FFFFFF;
    constexpr Argb Background = 0x80FFFFFF;
    const auto bright = [](Argb mask) { return ((mask >> 1) & 0xFF000000u) | 0x80000000u; };
    const std::size_t fore = attribute & 0x0F;
    const std::size_t back = attribute >> 4 & 0x0F;
    const Argb foreground
        = (PcColours[fore & 7] & Foreground) | (fore & 8 ? bright(Foreground) : Foreground & 0xFF000000u);
    const Argb background = back == 0
        ? 0
        : (PcColours[back & 7] & Background) | (back & 8 ? bright(Background) : Background & 0xFF000000u);
    return { foreground, background, Shadow::Std };
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
        const Colour message = MessageColour((index - MenuColourCount) & 0xFF);
        return Cell { byte, message.foreground, message.background, message.shadow };
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
    return Compose(MenuBackground(graphics.menu.Background(), graphics.files, graphics.folder, graphics.width,
                       graphics.height, decode),
        MenuText(graphics.console, shown, graphics.menu.CursorShown()), graphics.font ? *graphics.font : font);
}

}
