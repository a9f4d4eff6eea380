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

// Findings and other lists shown to the user.

// The editor.
// The file lines by document lines matched to keep a configuration's mixed
// line breaks (4 bytes each); past it, changed lines are paired in order.
inline constexpr qsizetype LineBreakMatchCells = qsizetype(1) << 20;

}
