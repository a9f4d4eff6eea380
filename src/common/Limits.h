#pragma once

#include <QtGlobal>

// How much a boot tree may make Glimra read, decode, follow or keep. Every
// file of a tree is untrusted input; each bound is named here once. Where
// the loader has a limit of its own, the bound is the loader's; elsewhere
// it is what the machine can afford without the window freezing.
namespace Limits {

// Files read from a tree.
inline constexpr qint64 FileBytes = qint64(64) << 20;

// Boot images (vm/). The loader has no bound of its own here; these keep
// an image to what the machine can hold and write.
// All the tree's files of one image together; no loader's folder comes near.
inline constexpr qint64 ImageBytes = qint64(256) << 20;
// An image path; deeper than any real tree, and the run folder's path plus
// it stays inside the system's 4096 bytes.
inline constexpr qsizetype ImagePathBytes = 1024;
// Configurations one image follows through CONFIG (each restarts the loader).
inline constexpr int ImageConfigurations = 32;
// Names left out of one image that are listed by name; the rest are counted.
inline constexpr std::size_t ImageRefusals = 100;

// ANSI art import. No art needs more; moves and wraps beyond stop there.
inline constexpr int ArtRows = 5000;
// The widest art a SAUCE record may claim.
inline constexpr int ArtColumns = 1000;
// Parameters of one ESC [ sequence; art uses a handful, the rest are dropped.
inline constexpr std::size_t ArtParameters = 32;

// The configuration readers.

// Pictures and fonts.

// Modules.

// Findings and other lists shown to the user.

}
