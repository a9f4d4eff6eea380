#pragma once

#include "vesa/VesaPixels.h"

#include <QByteArray>

#include <functional>
#include <optional>
#include <vector>

// GRUB's graphical menu (gfxmenu) as it draws the themes Glimra writes: a
// desktop image, labels (the countdown among them), one boot_menu with its
// pixmap styles and scrolling, in PF2 fonts, blended as GRUB's blitters
// blend. Nothing of a theme outside that subset is drawn.

// The font every Glimra theme draws in, as grub.cfg's loadfont names it
// after $prefix/.
inline constexpr const char* GrubFontFile = "glimra/vga16.pf2";

// What the theme's files are read through: a path as grub.cfg names it after
// $prefix/ ("glimra/menu1/theme.txt") to its bytes; nothing when missing.
using GrubFileReader = std::function<std::optional<QByteArray>(const QByteArray& path)>;

// The menu at a moment: the entries' titles (UTF-8), the highlighted one,
// the first one the list shows (as the list last scrolled), and the
// countdown's seconds (-1 when it is not running).
struct GrubMenuView {
    std::vector<QByteArray> titles;
    int selected = 0;
    int first = 0;
    int secondsLeft = -1;
};

// The gfxmenu screen (gfxmode's width x height) for the theme at themePath.
Vesa::Picture DrawGrubMenu(
    const GrubFileReader& files, const QByteArray& themePath, const GrubMenuView& view, int width, int height);
