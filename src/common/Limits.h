#pragma once

#include <QtGlobal>

// How much a boot tree may make Glimra read, decode, follow or keep. Every
// file of a tree is untrusted input; each bound is named here once. Where
// the loader has a limit of its own, the bound is the loader's; elsewhere
// it is what the machine can afford without the window freezing.
namespace Limits {

// Files read from a tree.
inline constexpr qint64 FileBytes = qint64(64) << 20;

// The configuration readers.

// Pictures and fonts.

// Modules.

// The loaders played.
// A menu's layout numbers (MENU WIDTH, MARGIN, ROWS, the rows and shifts,
// MENU INDENT): past this they lie off any screen vesamenu.c32 can have
// (478 x 1072 cells at most), and the module itself draws for hours.
inline constexpr int MenuLayout = 2048;
// Timeouts that fire one after another in one wait (TIMEOUT 1 and a default
// that fails): past this many the screen only repeats itself, and the rest
// of the wait keeps only its phase.
inline constexpr int TimeoutsPerWait = 1000;

// Findings and other lists shown to the user.

}
