#pragma once

// The pieces of GRUB's video and font code that its gfxmenu draws with,
// for GrubScreen's drawing (not for use outside sim/grub).
#include "GrubScreen.h"
#include "GrubThemeFile.h"
#include "format/Pf2Font.h"

namespace GrubDrawing {

using Vesa::Picture;
using Vesa::Rgb;

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// A picture as GRUB holds it once loaded: its pixels and their alphas.
struct Bitmap {
    Picture picture;
    std::vector<std::uint8_t> alpha;
    int Width() const { return picture.width; }
    int Height() const { return picture.height; }
};

// GRUB's bilinear scaling (bitmap_scale.c): a copy at the same size.
Bitmap Scaled(const Bitmap& source, int width, int height);

// The screen GRUB draws on, through its viewport: drawing is relative to
// it and clipped to it, and a new one is placed relative to the old one
// without being cut to it, only to the screen (video_fb.c).
class Screen {
public:
    Screen(int width, int height);
    Picture& Pixels() { return m_picture; }
    const Rect& Viewport() const { return m_viewport; }
    // The viewport moved to `inner` within the current one; the old one.
    Rect Enter(const Rect& inner);
    void Set(Rect viewport);
    // A pixel of `colour` at `alpha` over what is there, as GRUB's blend
    // blitters mix: 0 leaves it, 255 replaces it, others mix by (255 ^ a).
    void Put(int x, int y, Rgb colour, int alpha);
    void Blit(const Bitmap& bitmap, int x, int y);

private:
    Picture m_picture;
    Rect m_viewport;
};

// The fonts grub.cfg loaded, looked up as GRUB does by name: that font,
// else the one loaded last.
struct Fonts {
    std::vector<Pf2Font> loaded; // in loadfont's order
    const Pf2Font* Get(const std::optional<QByteArray>& name) const;
};

// A string's advance in the font, and the string drawn from the pen at x
// on the baseline, each glyph's dots in the colour (GRUB's stand-in glyph
// for a character the font lacks). UEFI's framebuffer gives GRUB no alpha
// field, so a text colour's alpha is lost on the way: the dots are opaque.
int StringWidth(const Pf2Font& font, const QByteArray& text);
void DrawText(Screen& screen, const Pf2Font& font, const QByteArray& text, Rgb colour, int x, int baseline);

// A "#rgb", "#rrggbb" (either with alpha after) or "r, g, b" colour.
std::optional<Rgb> ParseColour(const std::optional<QByteArray>& value);
int Number(const GrubThemeComponent& component, const char* name, int fallback);

// What drawing reads besides the theme: its files and folder, the fonts,
// the menu's state.
struct Context {
    const GrubFileReader& files;
    QByteArray folder;
    const Fonts& fonts;
    const GrubMenuView& view;
};

// A picture file named relative to the theme's folder, as GRUB's PNG reader
// takes the truecolour files Glimra writes; nothing when missing or not one.
std::optional<Bitmap> LoadBitmap(const Context& context, const QByteArray& name);

// One boot_menu as gui_list.c sets it up from its properties: the size
// GRUB's canvas gives it at least, and its drawing in those bounds (its
// pixmap boxes as widget-box.c draws them, the items from the first shown
// one on, their titles); DrawList gives the first index it showed.
std::pair<int, int> ListMinimalSize(const GrubThemeComponent& list, const Context& context);
int DrawList(Screen& screen, const GrubThemeComponent& list, const Rect& bounds, const Context& context);

}
