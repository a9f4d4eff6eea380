#include "GrubTheme.h"

#include "GrubPictures.h"
#include "config/BootFiles.h"
#include "console/ColorConsole.h"
#include "console/TextMetrics.h"
#include "format/Cp437.h"
#include "format/Palette.h"
#include "format/Pf2Font.h"
#include "sim/AnsiConsole.h"
#include "sim/LoaderSim.h"
#include "sim/VersionRules.h"
#include "sim/grub/GrubScreen.h"
#include "vesa/BackgroundFit.h"
#include "vesa/VesaScreen.h"
#include "vesa/VideoModes.h"

#include <map>

namespace {

using Vesa::Picture;
using Vesa::Rgb;
using Cell = Vesa::MenuFrame::Cell;

constexpr std::uint16_t Index(MenuColourName name) { return static_cast<std::uint16_t>(name); }
constexpr const char* FontFamily = "Glimra VGA";

// Where the module's grid lies on the screen GRUB shows: vesamenu.c32's
// inside its border at its resolution, menu.c32's 80 x 25 text screen in
// 8-dot cells centred on 640 x 480.
struct Grid {
    int width = 640;
    int height = 480;
    int left = 0;
    int top = 0;
    int cols = 80;
    int rows = 25;
    int cellHeight = 16;
    bool graphical = false;

    int X(int column) const { return left + 8 * column; }
    int Y(int row) const { return top + cellHeight * row; }
};

Grid GridFor(const GrubLookSource& source)
{
    Grid grid;
    grid.cellHeight = source.font.height;
    if (source.graphical) {
        const Vesa::MenuMode mode = Vesa::ModeFor(MenuResolution(source.config), source.font.height);
        if (mode.graphical)
            return { mode.width, mode.height, Vesa::Border, Vesa::Border, mode.cols, mode.rows, source.font.height,
                true };
    }
    grid.top = std::max(0, (grid.height - grid.rows * grid.cellHeight) / 2);
    return grid;
}

// The module's first screen of the menu on its grid, and where its list is
// (grid rows from 0).
struct Shown {
    Vesa::MenuFrame frame;
    int selected = 0;
    int top = 0;
    int count = 0;
    int firstRow = 0;
    int rows = 0;

    Cell& At(int column, int row) { return frame.cells[std::size_t(row * frame.cols + column)]; }
    const Cell& At(int column, int row) const { return frame.cells[std::size_t(row * frame.cols + column)]; }
};

// The menu played from its start by the module's simulator, as if it were
// the first one shown and not hidden.
std::optional<Shown> FirstScreen(const GrubLookSource& source, int menu, const Grid& grid)
{
    MenuConfig config = source.config;
    config.start = menu;
    config.hidden = false;
    config.shiftKey = false;
    FixedCellMeasurer measurer(VgaDots::Eight);
    TColorConsole console(measurer);
    console.SetCols(grid.cols);
    console.SetRows(grid.rows);
    MenuSim sim(console, source.files, source.folder, std::move(config), source.version);
    sim.KeepTableIndices();
    sim.Start();
    if (sim.State() != MenuSim::Outcome::Running)
        return std::nullopt;
    const Menu& shown = sim.Config().At(menu);
    const MenuLayout layout = shown.Layout(grid.cols, grid.rows);
    Shown first { MenuGrid(console, sim), sim.Entry(), sim.Top(), int(shown.entries.size()), layout.FirstRow() - 1,
        layout.Rows() };
    first.rows = std::min(first.rows, grid.rows - first.firstRow);
    Vesa::MenuFrame& frame = first.frame;
    frame.width = grid.width;
    frame.height = grid.height;
    frame.files = &source.files;
    frame.folder = source.folder;
    frame.tiles = VersionRules::BackgroundTiles(source.version);
    frame.blackWithoutBackground = VersionRules::NoBackgroundHangs(source.version);
    return first;
}

// The selection bar: its grid row and first and last columns, the cells
// the module drew in the sel and hotsel colours.
struct Bar {
    int row = 0;
    int first = 0;
    int last = -1;
    int Cells() const { return last - first + 1; }
};

std::optional<Bar> BarOf(const Shown& shown)
{
    Bar bar { shown.firstRow + shown.selected - shown.top };
    if (shown.selected < 0 || bar.row < shown.firstRow || bar.row >= shown.firstRow + shown.rows)
        return std::nullopt;
    for (int column = 0; column < shown.frame.cols; ++column) {
        const std::uint16_t colour = shown.At(column, bar.row).colour;
        if (colour != Index(MenuColourName::Sel) && colour != Index(MenuColourName::Hotsel))
            continue;
        if (bar.last < 0)
            bar.first = column;
        bar.last = column;
    }
    // The leading and the trailing blank, and one title cell at least.
    return bar.Cells() >= 3 ? std::optional(bar) : std::nullopt;
}

// A byte the font draws nothing for, for the cells GRUB draws titles over
// (' ' when it has no such glyph); a space of the module's stays a space.
std::uint8_t BlankByte(const PcFont& font)
{
    for (const int byte : { 0x20, 0x00, 0xFF }) {
        const auto first = font.rows.begin() + std::ptrdiff_t(byte) * font.height;
        if (std::all_of(first, first + font.height, [](std::uint8_t row) { return row == 0; }))
            return std::uint8_t(byte);
    }
    return ' ';
}

void Clear(Cell& cell, std::uint16_t colour, std::uint8_t blank)
{
    cell = { cell.byte == ' ' ? std::uint8_t(' ') : blank, colour };
}

// What stays while GRUB runs the menu: the selection shown as any other
// entry, the countdown's cells and the help area without their text (GRUB
// draws the countdown itself and has no place for an entry's help; their
// colours stay as the first screen has them); without exact entries the
// list's rows blank and the scroll bar's column a border.
Vesa::MenuFrame DesktopFrame(const Shown& shown, const Bar& bar, bool exact, std::uint8_t blank)
{
    using enum MenuColourName;
    Shown desktop = shown;
    for (Cell& cell : desktop.frame.cells) {
        if (cell.colour == Index(Timeout) || cell.colour == Index(TimeoutMsg) || cell.colour == Index(Help))
            Clear(cell, cell.colour, blank);
        else if (cell.colour == Index(Sel))
            cell.colour = Index(Unsel);
        else if (cell.colour == Index(Hotsel))
            cell.colour = Index(Hotkey);
    }
    if (exact)
        return desktop.frame;
    const int title = shown.firstRow - 2;
    for (int row = shown.firstRow; row < shown.firstRow + shown.rows; ++row) {
        for (int column = bar.first; column <= bar.last; ++column)
            Clear(desktop.At(column, row), Index(Unsel), blank);
        if (bar.last + 1 < shown.frame.cols && title >= 0 && desktop.At(bar.last + 1, row).colour == Index(Scrollbar))
            desktop.At(bar.last + 1, row) = shown.At(bar.last + 1, title);
    }
    return desktop.frame;
}

Rgb RgbOf(TColor colour) { return Rgb(RedOf(colour)) << 16 | Rgb(GreenOf(colour)) << 8 | Rgb(BlueOf(colour)); }

// menu.c32's text screen in the font: each cell's colours from its
// table entry's SGR string in the VGA palette (bit 7 blinks, so the
// background stays dark), black around it.
Picture TextScreen(const Vesa::MenuFrame& frame, const PcFont& font, const Grid& grid)
{
    Picture picture(grid.width, grid.height);
    const std::vector<MenuColour> table = frame.colours.Table();
    for (int row = 0; row < frame.rows; ++row) {
        for (int column = 0; column < frame.cols; ++column) {
            const Cell& cell = frame.cells[std::size_t(row * frame.cols + column)];
            const MenuColour& colour = table[cell.colour < table.size() ? cell.colour : 0];
            const int attribute = SgrAttribute(colour.ansi).value_or(0x07);
            const Rgb ink = RgbOf(Palette[std::size_t(attribute & 15)]);
            const Rgb paper = RgbOf(Palette[std::size_t(attribute >> 4 & 7)]);
            for (int y = 0; y < font.height; ++y) {
                const std::uint8_t dots = font.rows[std::size_t(cell.byte * font.height + y)];
                for (int x = 0; x < 8; ++x)
                    picture.At(grid.X(column) + x, grid.Y(row) + y) = dots & (0x80 >> x) ? ink : paper;
            }
        }
    }
    return picture;
}

Picture Draw(const Vesa::MenuFrame& frame, const GrubLookSource& source, const Grid& grid, QString* problem = nullptr)
{
    if (!grid.graphical)
        return TextScreen(frame, source.font, grid);
    Vesa::MenuScreen screen = Vesa::DrawLoaderMenu(frame, source.font, GrubPictures::Background);
    if (problem)
        *problem = screen.problem;
    return std::move(screen.picture);
}

// The colour the module drew most of the glyph dots of these cells in:
// GRUB's glyphs are of one colour, and this one is exact wherever the
// module's ink is opaque.
template <typename Take>
std::optional<Rgb> InkOf(const Picture& shot, const Shown& shown, const PcFont& font, const Grid& grid, Take take)
{
    std::map<Rgb, int> counts;
    for (int row = 0; row < shown.frame.rows; ++row) {
        for (int column = 0; column < shown.frame.cols; ++column) {
            const Cell& cell = shown.At(column, row);
            if (!take(cell, column, row))
                continue;
            for (int y = 0; y < font.height; ++y) {
                const std::uint8_t dots = font.rows[std::size_t(cell.byte * font.height + y)];
                for (int x = 0; x < 8; ++x) {
                    if (dots & (0x80 >> x))
                        ++counts[shot.At(grid.X(column) + x, grid.Y(row) + y)];
                }
            }
        }
    }
    if (counts.empty())
        return std::nullopt;
    return std::max_element(counts.begin(), counts.end(), [](auto a, auto b) { return a.second < b.second; })->first;
}

// The countdown as the module first shows it: the run of its cells with
// the seconds made GRUB's %d, where it starts.
struct Countdown {
    int row = 0;
    int column = 0;
    int length = 0;
    QByteArray text; // UTF-8
};

std::optional<Countdown> CountdownOf(const Shown& shown)
{
    using enum MenuColourName;
    for (int row = 0; row < shown.frame.rows; ++row) {
        QByteArrayList parts { {} }; // the text between runs of the seconds' cells
        Countdown countdown { row, -1, 0, {} };
        int last = -1;
        bool inSeconds = false;
        for (int column = 0; column < shown.frame.cols; ++column) {
            const Cell& cell = shown.At(column, row);
            const bool seconds = cell.colour == Index(Timeout);
            if ((!seconds && cell.colour != Index(TimeoutMsg)) || (countdown.column < 0 && cell.byte == ' '))
                continue;
            if (countdown.column < 0)
                countdown.column = column;
            if (cell.byte != ' ')
                last = column;
            if (seconds && !inSeconds)
                parts.append(QByteArray());
            else if (!seconds)
                parts.last() += char(cell.byte);
            inSeconds = seconds;
        }
        if (countdown.column < 0)
            continue;
        countdown.length = last - countdown.column + 1;
        for (QByteArray& part : parts)
            part = Cp437::CellsToUtf8(part).replace('%', "%%").replace('"', '\'');
        countdown.text = parts.join("%d").trimmed();
        return countdown;
    }
    return std::nullopt;
}

QByteArray Hex(Rgb colour) { return '#' + QByteArray::number(colour | 0x1000000u, 16).mid(1); }

struct ThemeLayout {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int cellHeight = 16;
    int itemPad = 0; // the east pixmaps' widths
    int selPad = 0;
    Rgb itemColour = 0;
    Rgb selColour = 0;
    std::optional<Countdown> countdown;
    Rgb countdownColour = 0;
};

QByteArray ThemeText(const ThemeLayout& look, const Grid& grid, const QByteArray& font)
{
    const auto line
        = [](const char* key, const QByteArray& value) { return "    " + QByteArray(key) + " = " + value + '\n'; };
    const auto number = [](int value) { return QByteArray::number(value); };
    const auto quoted = [](const QByteArray& value) { return '"' + value + '"'; };
    QByteArray text = "title-text: \"\"\ndesktop-image: \"desktop.png\"\ndesktop-color: \"#000000\"\n";
    // The terminal on the whole screen, as the module's pictures and prompts
    // are: a smaller window would scale the F-key pictures into it.
    text += "terminal-font: " + quoted(font)
        + "\nterminal-left: \"0\"\nterminal-top: \"0\"\nterminal-width: \"100%\"\nterminal-height: \"100%\"\n"
          "terminal-border: \"0\"\n+ boot_menu {\n";
    text += line("left", number(look.left)) + line("top", number(look.top)) + line("width", number(look.width))
        + line("height", number(look.height));
    text += line("item_font", quoted(font)) + line("selected_item_font", quoted(font));
    text += line("item_color", quoted(Hex(look.itemColour))) + line("selected_item_color", quoted(Hex(look.selColour)));
    text += line("item_height", number(look.cellHeight)) + line("item_padding", "0") + line("item_spacing", "0");
    text += line("icon_width", "0") + line("icon_height", "0") + line("item_icon_space", "8");
    text += line("item_pixmap_style", "\"item_*.png\"") + line("selected_item_pixmap_style", "\"sel_*.png\"");
    // GRUB keeps a scroll bar's pad off the list even without a bar.
    text += line("scrollbar", "false") + line("scrollbar_left_pad", "0") + "}\n";
    if (const std::optional<Countdown>& countdown = look.countdown) {
        text += "+ label {\n" + line("id", "\"__timeout__\"") + line("left", number(grid.X(countdown->column)))
            + line("top", number(grid.Y(countdown->row)))
            + line("width", number(std::min(8 * (countdown->length + 4), grid.width - grid.X(countdown->column))))
            + line("height", number(look.cellHeight)) + line("font", quoted(font))
            + line("color", quoted(Hex(look.countdownColour))) + line("align", "\"left\"")
            + line("text", quoted(countdown->text)) + "}\n";
    }
    return text;
}

// The part of a screen from (left, top), width x height, as an RGBA
// picture: opaque where `opaque` says so of a screen pixel, transparent
// elsewhere and past the screen's edge.
template <typename Opaque>
QByteArray Part(const Picture& screen, int left, int top, int width, int height, Opaque opaque)
{
    Picture part(width, height);
    std::vector<std::uint8_t> alpha(part.pixels.size());
    for (int y = 0; y < height && top + y < screen.height; ++y) {
        for (int x = 0; x < width && left + x < screen.width; ++x) {
            part.At(x, y) = screen.At(left + x, top + y);
            if (opaque(left + x, top + y))
                alpha[std::size_t(y * width + x)] = 255;
        }
    }
    return Vesa::WriteRgbaPng(part, alpha);
}

// The selection box's pixmaps, which GRUB copies pixel for pixel, cut from
// the screen with the bar: the bar but its last cell as the centre (the
// box's content), that cell and the column its shadow falls on as the east
// side, transparent on to the list's edge (its width is the right pad that
// keeps the selected title to the module's width), and the row its shadow
// falls on as the south side and corner; of all but the centre only the
// pixels the bar changed, so that elsewhere the row it moves to shows.
void AddBarFiles(std::vector<GrubFile>& files, const QByteArray& folder, const Picture& bar, const Picture& desktop,
    const Grid& grid, const Bar& where, int east)
{
    const int left = grid.X(where.first), top = grid.Y(where.row);
    const int centre = 8 * (where.Cells() - 1);
    const auto changed = [&](int x, int y) { return bar.At(x, y) != desktop.At(x, y); };
    files.push_back(
        { folder + "sel_c.png", Part(bar, left, top, centre, grid.cellHeight, [](int, int) { return true; }) });
    files.push_back({ folder + "sel_e.png", Part(bar, left + centre, top, east, grid.cellHeight, changed) });
    if (grid.graphical && top + grid.cellHeight < bar.height) {
        files.push_back({ folder + "sel_s.png", Part(bar, left, top + grid.cellHeight, centre, 1, changed) });
        files.push_back({ folder + "sel_se.png", Part(bar, left + centre, top + grid.cellHeight, east, 1, changed) });
    }
}

QString ModeNote(const Grid& grid)
{
    return QStringLiteral("GRUB asks the firmware for a %1 x %2 video mode (gfxmode); a firmware without one fails "
                          "\"terminal_output gfxterm\" (no suitable video mode found) and GRUB shows its own text "
                          "menu on the firmware's console instead of this look.")
        .arg(grid.width)
        .arg(grid.height);
}

bool InOrder(const std::vector<int>& entries, int count)
{
    if (entries.empty())
        return true;
    for (std::size_t at = 0; at < entries.size(); ++at) {
        if (entries[at] != int(at))
            return false;
    }
    return int(entries.size()) == count;
}

}

QByteArray GrubThemePath(int menu) { return "glimra/menu" + QByteArray::number(menu) + "/theme.txt"; }

QByteArray GrubFontName(const PcFont& font) { return Pf2FromPcFont(font, FontFamily).name; }

GrubFile GrubFont(const PcFont& font) { return { GrubFontFile, GrubPictures::Pf2(font, FontFamily) }; }

namespace {

// The list's place and colours: from the bar's left to the screen's edge
// (GRUB widens a list to fit its pads' widths anyway), a row for each of
// the module's; the colours the module drew the titles and countdown in.
ThemeLayout LayoutOf(const Shown& shown, const Bar& bar, const Picture& first, const GrubLookSource& source,
    const Grid& grid, bool exact)
{
    using enum MenuColourName;
    ThemeLayout look;
    look.left = grid.X(bar.first);
    look.top = grid.Y(shown.firstRow);
    look.width = grid.width - look.left;
    look.height = grid.cellHeight * shown.rows + (grid.graphical ? 1 : 0);
    look.cellHeight = grid.cellHeight;
    look.selPad = look.width - 8 * (bar.Cells() - 1);
    look.itemPad = exact ? look.width - 8 : look.selPad;
    const auto inList = [&](int row) { return row >= shown.firstRow && row < shown.firstRow + shown.rows; };
    look.selColour = InkOf(first, shown, source.font, grid, [&](const Cell& cell, int, int row) {
        return row == bar.row && cell.colour == Index(Sel);
    }).value_or(0);
    look.itemColour = InkOf(first, shown, source.font, grid, [&](const Cell& cell, int column, int row) {
        return inList(row) && column > bar.first && column < bar.last && cell.colour == Index(Unsel);
    }).value_or(look.selColour);
    look.countdown = CountdownOf(shown);
    look.countdownColour = InkOf(first, shown, source.font, grid, [](const Cell& cell, int, int) {
        return cell.colour == Index(TimeoutMsg);
    }).value_or(look.itemColour);
    return look;
}

}

GrubTheme MakeGrubTheme(const GrubLookSource& source, int menu, const std::vector<int>& entries)
{
    const Grid grid = GridFor(source);
    GrubTheme theme { grid.width, grid.height, {}, false, ModeNote(grid) };
    if (source.graphical && !grid.graphical)
        theme.note = QStringLiteral("vesamenu.c32 finds no video mode of MENU RESOLUTION's size and runs on the text "
                                    "screen; GRUB shows that screen. ")
            + theme.note;
    const std::optional<Shown> shown
        = menu >= 0 && menu < int(source.config.menus.size()) ? FirstScreen(source, menu, grid) : std::nullopt;
    const std::optional<Bar> bar = shown ? BarOf(*shown) : std::nullopt;
    if (!bar) {
        theme.note = QStringLiteral("The menu module shows no list for this menu; no theme is made for it.");
        return theme;
    }
    theme.exact = InOrder(entries, shown->count) && shown->count <= shown->rows && shown->top == 0;
    QString problem;
    const Picture first = Draw(shown->frame, source, grid, &problem);
    const std::uint8_t blank = BlankByte(source.font);
    const Vesa::MenuFrame desktop = DesktopFrame(*shown, *bar, theme.exact, blank);
    Shown selection = *shown;
    selection.frame = desktop;
    for (int column = bar->first; column <= bar->last; ++column) {
        selection.At(column, bar->row) = shown->At(column, bar->row);
        Clear(selection.At(column, bar->row), Index(MenuColourName::Sel), blank);
    }
    const Picture withBar = Draw(selection.frame, source, grid);
    const Picture desktopPicture = Draw(desktop, source, grid);
    const ThemeLayout look = LayoutOf(*shown, *bar, first, source, grid, theme.exact);

    const QByteArray folder = "glimra/menu" + QByteArray::number(menu) + '/';
    theme.files.push_back({ folder + "theme.txt", ThemeText(look, grid, GrubFontName(source.font)) });
    theme.files.push_back({ folder + "desktop.png", GrubPictures::RgbPng(desktopPicture) });
    AddBarFiles(theme.files, folder, withBar, desktopPicture, grid, *bar, look.selPad);
    theme.files.push_back(
        { folder + "item_e.png", Part(desktopPicture, 0, 0, look.itemPad, 1, [](int, int) { return false; }) });
    if (!problem.isEmpty())
        theme.note += ' ' + problem;
    return theme;
}
