#pragma once

#include "GrubTerminal.h"

#include <QByteArray>

#include <vector>

// GRUB's text pages on the terminal: the version line, the framed list of
// the text menu and of the entry editor with the help beneath, the command
// line's greeting. Its texts are GRUB's own, as Debian 12 builds it.
namespace GrubPage {

// What the header line names.
inline constexpr char Version[] = "2.06-13+deb12u2";

// Where a page puts its list: its first cell, width and rows, whether it is
// framed, and the row the countdown starts on.
struct Geometry {
    int firstX = 0;
    int firstY = 0;
    int width = 0;
    int rows = 0;
    bool border = true;
    int timeoutY = 0;
};

// The screen cleared and the page drawn (grub_menu_init_page): the header,
// the frame and the help for a menu (nested: one Esc leaves) or the editor.
Geometry Init(GrubTerminal& text, bool nested, bool edit);

// The text menu's rows: a mark and the title of each entry shown from
// `first`, the selected one in the highlight colour, arrows where more lie
// beyond; the countdown line when seconds are left.
void DrawMenu(GrubTerminal& text, const Geometry& page, const std::vector<QByteArray>& titles, int selected, int first,
    int secondsLeft);

// The command line's greeting and its prompt with what is typed so far.
void DrawCommandLine(GrubTerminal& text, bool nested, const QByteArray& typed);

}
