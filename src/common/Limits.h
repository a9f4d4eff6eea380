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

// Both readers take a line with fgets into 4096 bytes: a longer line is
// read as pieces of this many bytes, each a line of its own.
inline constexpr int ConfigLineBytes = 4095;
// ldlinux.c32 6.04 counts no INCLUDE depth: INCLUDE and MENU INCLUDE nest
// until opening a file with this many open (the top configuration counted)
// hangs it (its stack runs out; measured in QEMU).
inline constexpr int LoaderNesting = 103;
// menu.c32 and vesamenu.c32 6.04 the same way, one file fewer.
inline constexpr int MenuNesting = 102;
// One reading of a configuration: the lines, bytes and file openings it
// may take, a file read again counted again (an INCLUDE fan-out, each file
// including the next twice, would take the loader for ever).
inline constexpr qint64 ConfigLines = 4'000'000;
inline constexpr qint64 ConfigBytes = FileBytes;
inline constexpr int ConfigFileReads = 10'000;
// What one reading keeps: directives, and menu entries.
inline constexpr int ConfigItems = 250'000;
// Menus (MENU BEGIN, INCLUDE with a title) one menu reading makes.
inline constexpr int Menus = 4'096;
// Menu module runs and CONFIG configurations followed from one set.
inline constexpr int ConfigRuns = 64;

// Pictures and fonts.

// Modules.

// Findings and other lists shown to the user.

// Findings one file, or one configuration's set, lists: past this many,
// one "and N more problems" takes the rest.
inline constexpr int Findings = 500;

}
