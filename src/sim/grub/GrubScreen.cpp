#include "GrubScreen.h"

#include "GrubDrawing.h"

#include <QString>

#include <algorithm>

using namespace GrubDrawing;

namespace {

// The screen's own properties: the desktop image stretched over it (a copy
// at its size), else the desktop colour, and the title centred 40 pixels
// down when there is one.
bool DrawDesktop(Screen& screen, const GrubThemeFile& theme, const Context& context, QString& problem)
{
    Picture& pixels = screen.Pixels();
    const std::optional<QByteArray> image = theme.Value("desktop-image");
    if (image) {
        const std::optional<Bitmap> bitmap = LoadBitmap(context, *image);
        if (!bitmap) {
            problem = QStringLiteral("GRUB cannot read the desktop image %1").arg(QString::fromUtf8(*image));
            return false;
        }
        pixels = Scaled(*bitmap, pixels.width, pixels.height).picture;
    } else {
        std::fill(
            pixels.pixels.begin(), pixels.pixels.end(), ParseColour(theme.Value("desktop-color")).value_or(0xFFFFFF));
    }
    const QByteArray title = theme.Value("title-text").value_or("GRUB Boot Menu");
    if (const Pf2Font* font = context.fonts.Get(theme.Value("title-font")); font && !title.isEmpty())
        DrawText(screen, *font, title, ParseColour(theme.Value("title-color")).value_or(0),
            (pixels.width - StringWidth(*font, title)) / 2, 40 + font->ascent);
    return true;
}

// A label's text: the countdown's with the seconds left for its %d.
QByteArray LabelText(const GrubThemeComponent& label, const GrubMenuView& view)
{
    QByteArray text = label.Value("text").value_or(QByteArray());
    if (label.Value("id") == "__timeout__")
        text.replace("%d", QByteArray::number(view.secondsLeft)).replace("%%", "%");
    return text;
}

// The countdown shows only while it runs.
void DrawLabel(Screen& screen, const GrubThemeComponent& label, const Rect& bounds, const Context& context)
{
    const Pf2Font* font = context.fonts.Get(label.Value("font"));
    const QByteArray text = LabelText(label, context.view);
    const bool countdown = label.Value("id") == "__timeout__";
    if (!font || label.Value("visible") == "false" || (countdown && context.view.secondsLeft < 0))
        return;
    const QByteArray align = label.Value("align").value_or("left");
    int left = 0;
    if (align == "center")
        left = (bounds.width - StringWidth(*font, text)) / 2;
    else if (align == "right")
        left = bounds.width - StringWidth(*font, text);
    if (left < 0 || left > bounds.width)
        left = 0;
    const Rect saved = screen.Enter(bounds);
    DrawText(screen, *font, text, ParseColour(label.Value("color")).value_or(0), left, font->ascent);
    screen.Set(saved);
}

// A component's place on the screen as GRUB's canvas sets it: its numbers
// against the screen, at least its minimal size, kept inside the screen.
Rect BoundsOf(const GrubThemeComponent& component, const Rect& screen, std::pair<int, int> minimal)
{
    const auto edge
        = [&](const char* name, int size) { return GrubProportional(component.Value(name).value_or("0"), size); };
    Rect r { edge("left", screen.width), edge("top", screen.height), edge("width", screen.width),
        edge("height", screen.height) };
    r.width = std::max(r.width, minimal.first);
    r.height = std::max(r.height, minimal.second);
    if (r.width <= 0)
        r.width = 32;
    if (r.height <= 0)
        r.height = 32;
    if (r.x >= screen.width)
        r.x = screen.width - 32;
    if (r.y >= screen.height)
        r.y = screen.height - 32;
    r.x = std::max(r.x, 0);
    r.y = std::max(r.y, 0);
    if (r.x + r.width >= screen.width)
        r.width = screen.width - r.x;
    if (r.y + r.height >= screen.height)
        r.height = screen.height - r.y;
    return r;
}

}

int GrubFirstShown(int first, int selected, int shown)
{
    if (selected < 0)
        return first;
    if (selected < first)
        return selected;
    if (selected > first + shown - 1)
        return selected - (shown - 1);
    return first;
}

GrubMenuDrawing DrawGrubMenuScreen(const GrubFileReader& files, const QByteArray& themePath, const GrubMenuView& view,
    int width, int height, const std::vector<QByteArray>& fontPaths)
{
    GrubMenuDrawing drawing { Picture(width, height), view.first, {} };
    const std::optional<QByteArray> text = files(themePath);
    const GrubThemeReading reading = text ? ReadGrubTheme(*text) : GrubThemeReading { std::nullopt, {} };
    if (!reading.theme) {
        drawing.problem = text ? reading.problem : QStringLiteral("there is no theme file");
        return drawing;
    }
    Fonts fonts;
    for (const QByteArray& path : fontPaths) {
        if (const std::optional<QByteArray> bytes = files(path))
            if (std::optional<Pf2Font> font = ReadPf2(*bytes))
                fonts.loaded.push_back(std::move(*font));
    }
    const qsizetype slash = themePath.lastIndexOf('/');
    const Context context { files, slash < 0 ? QByteArray() : themePath.left(slash + 1), fonts, view };
    Screen screen(width, height);
    if (!DrawDesktop(screen, *reading.theme, context, drawing.problem)) {
        drawing.picture = Picture(width, height);
        return drawing;
    }
    // GRUB's canvas keeps its children newest first and paints them so.
    const std::vector<GrubThemeComponent>& components = reading.theme->components;
    for (auto component = components.rbegin(); component != components.rend(); ++component) {
        if (component->type == "boot_menu") {
            const Rect bounds = BoundsOf(*component, { 0, 0, width, height }, ListMinimalSize(*component, context));
            drawing.first = DrawList(screen, *component, bounds, context);
        } else if (component->type == "label") {
            const Pf2Font* font = fonts.Get(component->Value("font"));
            const std::pair<int, int> minimal = font
                ? std::pair(StringWidth(*font, LabelText(*component, view)), font->ascent + font->descent)
                : std::pair(0, 0);
            DrawLabel(screen, *component, BoundsOf(*component, { 0, 0, width, height }, minimal), context);
        }
    }
    drawing.picture = std::move(screen.Pixels());
    return drawing;
}

Vesa::Picture DrawGrubMenu(
    const GrubFileReader& files, const QByteArray& themePath, const GrubMenuView& view, int width, int height)
{
    return DrawGrubMenuScreen(files, themePath, view, width, height).picture;
}
