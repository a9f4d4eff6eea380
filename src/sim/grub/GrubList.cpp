// GRUB's boot_menu (gfxmenu/gui_list.c) and its pixmap boxes
// (gfxmenu/widget-box.c) for GrubScreen.
#include "GrubDrawing.h"

#include <array>

namespace GrubDrawing {

namespace {

enum Piece { NorthWest, NorthEast, SouthEast, SouthWest, North, East, South, West, Centre, Pieces };
constexpr const char* PieceNames[Pieces] = { "nw", "ne", "se", "sw", "n", "e", "s", "w", "c" };

// A box of up to nine pictures found by a pattern ("sel_*.png"); a missing
// one is none. Its pads are the widest or tallest piece along each side,
// corners included.
struct Box {
    std::array<std::optional<Bitmap>, Pieces> pieces;

    int Width(Piece piece) const { return pieces[piece] ? pieces[piece]->Width() : 0; }
    int Height(Piece piece) const { return pieces[piece] ? pieces[piece]->Height() : 0; }
    int LeftPad() const { return std::max({ Width(West), Width(NorthWest), Width(SouthWest) }); }
    int TopPad() const { return std::max({ Height(North), Height(NorthWest), Height(NorthEast) }); }
    int RightPad() const { return std::max({ Width(East), Width(NorthEast), Width(SouthEast) }); }
    int BottomPad() const { return std::max({ Height(South), Height(SouthWest), Height(SouthEast) }); }

    // The sides stretched along the content, the centre over it, the
    // corners as they are; each blended in where GRUB puts it.
    void Draw(Screen& screen, int x, int y, int width, int height) const
    {
        std::array<std::optional<Bitmap>, Pieces> scaled;
        const auto fit = [&](Piece piece, int w, int h) {
            if (pieces[piece] && w > 0 && h > 0)
                scaled[piece] = Scaled(*pieces[piece], w, h);
        };
        fit(North, width, Height(North));
        fit(South, width, Height(South));
        fit(East, Width(East), height);
        fit(West, Width(West), height);
        for (const Piece corner : { NorthWest, SouthWest, NorthEast, SouthEast })
            fit(corner, Width(corner), Height(corner));
        fit(Centre, width, height);
        const auto size = [&](Piece piece, bool across) {
            return scaled[piece] ? (across ? scaled[piece]->Width() : scaled[piece]->Height()) : 0;
        };
        const int north = std::max({ size(NorthWest, false), size(North, false), size(NorthEast, false) });
        const int west = std::max({ size(NorthWest, true), size(West, true), size(SouthWest, true) });
        const std::array<std::pair<Piece, std::pair<int, int>>, Pieces> places { { { North, { x + west, y } },
            { South, { x + west, y + north + height } }, { East, { x + west + width, y + north } },
            { West, { x, y + north } }, { NorthWest, { x, y } }, { NorthEast, { x + west + width, y } },
            { SouthEast, { x + west + width, y + north + height } }, { SouthWest, { x, y + north + height } },
            { Centre, { x + west, y + north } } } };
        for (const auto& [piece, at] : places) {
            if (scaled[piece])
                screen.Blit(*scaled[piece], at.first, at.second);
        }
    }
};

Box LoadBox(const Context& context, const std::optional<QByteArray>& pattern)
{
    Box box;
    const qsizetype star = pattern ? pattern->indexOf('*') : -1;
    if (star < 0)
        return box;
    for (int piece = 0; piece < Pieces; ++piece)
        box.pieces[std::size_t(piece)]
            = LoadBitmap(context, pattern->left(star) + PieceNames[piece] + pattern->mid(star + 1));
    return box;
}

// A list's settings as gui_list.c keeps them from its properties in the
// theme's order: the selected item's font, colour and box follow the
// others' until given (or given as "inherit").
struct List {
    const Pf2Font* itemFont = nullptr;
    const Pf2Font* selectedFont = nullptr;
    Rgb itemColour = 0;
    Rgb selectedColour = 0;
    int iconWidth = 32;
    int itemHeight = 42;
    int padding = 14;
    int iconSpace = 4;
    int spacing = 16;
    int scrollbarLeftPad = 2;
    int scrollbarRightPad = 0;
    QByteArray slice = "east";
    Box menu;
    Box item;
    Box selected;

    static List Of(const GrubThemeComponent& component, const Context& context);
    int ShownItems(int height) const
    {
        if (itemHeight + spacing <= 0)
            return 1;
        return (height + spacing - 2 * padding - std::max(item.TopPad(), selected.TopPad())
                   - std::max(item.BottomPad(), selected.BottomPad()) - menu.TopPad() - menu.BottomPad())
            / (itemHeight + spacing);
    }
};

List List::Of(const GrubThemeComponent& component, const Context& context)
{
    List list;
    list.itemFont = list.selectedFont = context.fonts.Get(QByteArray("Unknown Regular 16"));
    bool fontInherits = true, colourInherits = true, boxInherits = true;
    std::optional<QByteArray> itemPattern, selectedPattern;
    for (const auto& [name, value] : component.properties) {
        const bool inherit = value == "inherit";
        if (name == "item_font") {
            list.itemFont = context.fonts.Get(value);
            if (fontInherits)
                list.selectedFont = list.itemFont;
        } else if (name == "selected_item_font") {
            fontInherits = inherit;
            list.selectedFont = inherit ? list.itemFont : context.fonts.Get(value);
        } else if (name == "item_color") {
            if (const std::optional<Rgb> colour = ParseColour(value)) {
                list.itemColour = *colour;
                if (colourInherits)
                    list.selectedColour = *colour;
            }
        } else if (name == "selected_item_color") {
            if (inherit) {
                list.selectedColour = list.itemColour;
                colourInherits = true;
            } else if (const std::optional<Rgb> colour = ParseColour(value)) {
                list.selectedColour = *colour;
                colourInherits = false;
            }
        } else if (name == "item_pixmap_style") {
            itemPattern = value;
            if (boxInherits)
                selectedPattern = value;
        } else if (name == "selected_item_pixmap_style") {
            boxInherits = inherit;
            selectedPattern = inherit ? itemPattern : std::optional(value);
        }
    }
    list.iconWidth = Number(component, "icon_width", list.iconWidth);
    list.itemHeight = Number(component, "item_height", list.itemHeight);
    list.padding = Number(component, "item_padding", list.padding);
    list.iconSpace = Number(component, "item_icon_space", list.iconSpace);
    list.spacing = Number(component, "item_spacing", list.spacing);
    list.scrollbarLeftPad = Number(component, "scrollbar_left_pad", list.scrollbarLeftPad);
    list.scrollbarRightPad = Number(component, "scrollbar_right_pad", list.scrollbarRightPad);
    list.slice = component.Value("scrollbar_slice").value_or(list.slice);
    list.menu = LoadBox(context, component.Value("menu_pixmap_style"));
    list.item = LoadBox(context, itemPattern);
    list.selected = LoadBox(context, selectedPattern);
    return list;
}

// draw_menu: the items from the first shown on, each in its box, its
// title in the viewport its pads leave.
void DrawItems(Screen& screen, const List& list, int first, int shown, const Context& context)
{
    const Rect outer = screen.Viewport();
    const int width = outer.width - 2 * list.padding;
    screen.Set({ outer.x + list.padding, outer.y + list.padding, width, outer.height - 2 * list.padding });
    const int leftPad = std::max(list.item.LeftPad(), list.selected.LeftPad());
    const int topPad = std::max(list.item.TopPad(), list.selected.TopPad());
    const int textLeft = leftPad + list.iconWidth + list.iconSpace;
    const int count = int(context.view.titles.size());
    int top = 0;
    for (int index = first; index - first < shown && index < count; ++index) {
        const bool chosen = index == context.view.selected;
        const Box& box = chosen ? list.selected : list.item;
        const Pf2Font* font = chosen ? list.selectedFont : list.itemFont;
        box.Draw(screen, 0, top + topPad - box.TopPad(), width - box.LeftPad() - box.RightPad(), list.itemHeight);
        if (font) {
            const int baseline = (list.itemHeight - (font->ascent + font->descent)) / 2 + font->ascent;
            const Rect saved
                = screen.Enter({ textLeft, top + box.TopPad(), width - textLeft - box.RightPad(), list.itemHeight });
            DrawText(screen, *font, context.view.titles[std::size_t(index)],
                chosen ? list.selectedColour : list.itemColour, 0, baseline);
            screen.Set(saved);
        }
        top += list.itemHeight + list.spacing;
    }
    screen.Set(outer);
}

int SliceWidth(const List& list)
{
    return list.slice == "west" ? list.scrollbarRightPad : list.slice == "east" ? list.scrollbarLeftPad : 0;
}

}

std::pair<int, int> ListMinimalSize(const GrubThemeComponent& component, const Context& context)
{
    const List list = List::Of(component, context);
    int text = 0;
    for (const Pf2Font* font : { list.itemFont, list.selectedFont }) {
        if (font)
            text = std::max(text, StringWidth(*font, "Typical OS"));
    }
    const int width = text + 2 * list.padding + list.menu.LeftPad() + list.menu.RightPad()
        + std::max(list.item.LeftPad(), list.selected.LeftPad())
        + std::max(list.item.RightPad(), list.selected.RightPad()) + list.iconSpace + list.iconWidth + SliceWidth(list);
    const int height = list.itemHeight * 3 + list.spacing * 2 + 2 * list.padding + list.menu.TopPad()
        + list.menu.BottomPad() + std::max(list.item.TopPad(), list.selected.TopPad())
        + std::max(list.item.BottomPad(), list.selected.BottomPad());
    return { width, height };
}

int DrawList(Screen& screen, const GrubThemeComponent& component, const Rect& bounds, const Context& context)
{
    const List list = List::Of(component, context);
    const int shown = list.ShownItems(bounds.height);
    const int first = GrubFirstShown(context.view.first, context.view.selected, shown);
    if (component.Value("visible") == "false")
        return first;
    const Rect saved = screen.Enter(bounds);
    const Box& menu = list.menu;
    menu.Draw(screen, 0, 0, bounds.width - menu.LeftPad() - menu.RightPad(),
        bounds.height - menu.TopPad() - menu.BottomPad());
    Rect content { menu.LeftPad(), menu.TopPad(), bounds.width - menu.LeftPad() - menu.RightPad(),
        bounds.height - menu.TopPad() - menu.BottomPad() };
    // No scroll bar is drawn without its frame and thumb pictures, but an
    // east or west slice keeps its pad off the items even so.
    if (list.slice == "west")
        content.x += list.scrollbarRightPad;
    content.width -= SliceWidth(list);
    const Rect inList = screen.Enter(content);
    DrawItems(screen, list, first, shown, context);
    screen.Set(inList);
    screen.Set(saved);
    return first;
}

}
