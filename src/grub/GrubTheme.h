#pragma once

#include "GrubMenu.h"
#include "config/LoaderVersion.h"
#include "config/MenuConfig.h"
#include "format/PcFont.h"

#include <QString>

class BootFiles;

// The gfxmenu theme in which GRUB shows a menu as the menu module showed it:
// vesamenu.c32's screen rebuilt at its resolution, menu.c32's text screen
// drawn in the 8-dot font on a 640 x 480 one. What does not move is drawn
// by Glimra's own menu renderers into the desktop image; GRUB draws the
// selection bar (a picture of the module's own, cut from its screen), the
// selected title and the countdown over it, each where the module has it.

// What the look is made from: the menu modules' reading of the tree, the
// folder they run in, the build played, which module shows the menus, and
// the font they draw in (FONT's, else the VGA BIOS's).
struct GrubLookSource {
    const MenuConfig& config;
    const BootFiles& files;
    QByteArray folder;
    LoaderVersion version = LoaderVersion::Debian();
    bool graphical = true; // vesamenu.c32; menu.c32 otherwise
    PcFont font;
};

struct GrubTheme {
    // The gfxmode it is drawn for.
    int width = 640;
    int height = 480;
    // theme.txt and its pictures, paths under GRUB's folder.
    std::vector<GrubFile> files;
    // Whether the entries are the module's own pixels in the desktop image
    // (all fit without scrolling, each GRUB entry on its module's row), so
    // that GRUB draws only the selection; otherwise GRUB draws every title.
    bool exact = false;
    // What GRUB does when the firmware has no video mode of that size.
    QString note;
};

// Where the theme of a menu (its index in MenuConfig::menus) lives, as
// grub.cfg names it after $prefix/.
QByteArray GrubThemePath(int menu);

// The font file every theme names (GrubFontFile's path), and the name the
// themes name it by.
GrubFile GrubFont(const PcFont& font);
QByteArray GrubFontName(const PcFont& font);

// The theme of one menu. entries: for each GRUB entry in grub.cfg's order,
// the index of the module's entry it stands for; empty when every entry is
// there in the module's order. Nothing in files when the module shows no
// list for the menu (no entries, or no room), said in note.
GrubTheme MakeGrubTheme(const GrubLookSource& source, int menu, const std::vector<int>& entries = {});
