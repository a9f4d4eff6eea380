#pragma once

#include "vesa/VesaPixels.h"

#include <QByteArray>
#include <QString>

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

// The same with what GRUB's list did: the first index it showed (view.first
// moved just far enough to show the selection, which the list then keeps),
// and why GRUB refuses the theme (nothing drawn then: GRUB shows its text
// menu instead). fontPaths: the files grub.cfg's loadfont lines load, in
// their order.
struct GrubMenuDrawing {
    Vesa::Picture picture;
    int first = 0;
    QString problem;
};
GrubMenuDrawing DrawGrubMenuScreen(const GrubFileReader& files, const QByteArray& themePath, const GrubMenuView& view,
    int width, int height, const std::vector<QByteArray>& fontPaths = { GrubFontFile });

// gui_list.c's scrolling: the first item shown after the selection moved,
// from the one shown before, for a list of `shown` rows.
int GrubFirstShown(int first, int selected, int shown);
