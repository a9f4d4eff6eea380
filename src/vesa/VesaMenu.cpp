#include "VesaMenu.h"

#include "config/BootFiles.h"

#include <QFile>

namespace Vesa {

TextLayer MenuText(const MenuFrame& frame)
{
    const std::vector<MenuColour> table = frame.colours.Table();
    const auto cellOf = [&](std::uint8_t byte, std::size_t index) {
        const MenuColour& colour = table[index < table.size() ? index : 0];
        return Cell { byte, colour.foreground, colour.background, colour.shadow };
    };
    TextLayer text;
    text.cols = frame.cols;
    text.rows = frame.rows;
    text.cells.reserve(frame.cells.size());
    for (const MenuFrame::Cell& cell : frame.cells)
        text.cells.push_back(cellOf(cell.byte, cell.colour));
    text.ring = cellOf(' ', 0);
    text.cursor = frame.cursor;
    return text;
}

Picture MenuBackground(const QByteArray& background, const BootFiles& files, const QByteArray& folder, int width,
    int height, const PictureDecoder& decode)
{
    if (background.isEmpty())
        return RadialBackground(width, height);
    if (background.startsWith('#'))
        return Picture(width, height, MenuArgb(background) & 0xFFFFFF);
    const std::optional<QByteArray> bytes = files.ReadNamed(folder, background);
    if (!bytes)
        return Picture(width, height);
    const std::optional<Picture> picture = decode ? decode(*bytes) : std::nullopt;
    return picture ? PlaceBackground(*picture, width, height, true) : Picture(width, height);
}

Picture DrawMenu(const MenuFrame& frame, const Font& font, const PictureDecoder& decode)
{
    return Compose(MenuBackground(frame.background, *frame.files, frame.folder, frame.width, frame.height, decode),
        MenuText(frame), frame.font ? *frame.font : font);
}

std::optional<Font> BiosFont(const QString& vgaBios)
{
    QFile bios(vgaBios);
    if (!bios.open(QIODevice::ReadOnly))
        return std::nullopt;
    return RomFont(bios.readAll());
}

}
