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
// Exported media (vm/). Entries of the tree walked for a shipped disc: a
// distribution's disc holds a few thousand; past this the walk stops, said.
inline constexpr int ExportEntries = 200'000;
// A file copied to a disc or disk: ISO 9660 and FAT32 both hold up to 4 GiB - 1.
inline constexpr qint64 ExportFileBytes = (qint64(4) << 30) - 1;
// A disk image's size: what the tree holds, this share more for FAT's
// tables and folders, and never less than FAT32's smallest.
inline constexpr int ExportDiskSlackPercent = 10;
inline constexpr qint64 ExportDiskLeastBytes = qint64(64) << 20;
// The tail of the machine's serial log its console window shows; a loader
// printing in a loop fills the file without end.
inline constexpr qint64 SerialConsoleBytes = qint64(1) << 20;

// ANSI art import. No art needs more; moves and wraps beyond stop there.
inline constexpr int ArtRows = 5000;
// The widest art a SAUCE record may claim.
inline constexpr int ArtColumns = 1000;
// Parameters of one ESC [ sequence; art uses a handful, the rest are dropped.
inline constexpr std::size_t ArtParameters = 32;

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
// A picture's pixels, four bytes each, checked from its header before any is
// decoded: vesamenu.c32 takes none larger than its screen and its JPEG
// decoder none over 4096 pixels a side (JPEG_MAX_WIDTH); 4096 x 4096 is
// 64 MiB. A screen larger than that is refused too.
inline constexpr qint64 PictureBytes = qint64(4096) * 4096 * 4;
// Compressed bytes a PNG may hold past its last row: a stream's end takes a
// few. More is a zlib bomb, which libpng would inflate to its end (the
// loader too, before it shows the menu); 4 KiB inflate to 4 MiB at most.
inline constexpr qint64 PictureTrailingBytes = 4096;
// A picture the user picks to fit as a background (a camera's photo, not a
// tree's file): 32 megapixels decoded, four bytes each, is what a fit can
// hold beside its resampled copy without the window freezing.
inline constexpr qint64 FitSourceBytes = qint64(128) << 20;
// A PSF1 font as the loader reads it (core/font.c): the four-byte header and
// 256 glyphs of at most 32 rows; the rest of the file is never looked at.
inline constexpr qint64 FontBytes = 4 + 256 * 32;
// The name after 0x18 as the 3.x/4.x core keeps it (VGAFileBuf, FILENAME_MAX):
// bytes past it are dropped.
inline constexpr qsizetype ImageNameBytes = 256;

// Modules.
// DT_NEEDED libraries of one module: the loader refuses more than 64
// ("Too many dependencies!", MAX_NR_DEPS in sys/module.h).
inline constexpr int ModuleLibraries = 64;
// A library's name: the loader keeps a module's name in 256 bytes with its
// NUL (MODULE_NAME_SIZE).
inline constexpr int ModuleNameBytes = 255;

// A loader file read to learn its version (isolinux.bin, pxelinux.0,
// ldlinux.sys, ldlinux.c32): the largest build, lpxelinux.0 6.x, is under
// 200 KiB; a larger file is no loader and is not read.
inline constexpr qint64 LoaderFileBytes = qint64(1) << 20;
// Names of pxelinux.cfg/ looked at for misnamed per-client files: a server
// for thousands of machines has thousands; past this the rest go unchecked.
inline constexpr int PxeFolderNames = 10'000;

// The loaders played.
// A menu's layout numbers (MENU WIDTH, MARGIN, ROWS, the rows and shifts,
// MENU INDENT): past this they lie off any screen vesamenu.c32 can have
// (478 x 1072 cells at most), and the module itself draws for hours.
inline constexpr int MenuLayout = 2048;
// Timeouts that fire one after another in one wait (TIMEOUT 1 and a default
// that fails): past this many the screen only repeats itself, and the rest
// of the wait keeps only its phase.
inline constexpr int TimeoutsPerWait = 1000;
// Files the GRUB menu's simulator follows inside each other through source
// and configfile: GRUB recurses until its stack runs out; Glimra writes one.
inline constexpr int GrubFilesNested = 32;

// GRUB's side (grub.cfg read and written).
// A grub.cfg read: GRUB reads any size, but no real one is near 1 MiB.
inline constexpr qsizetype GrubConfigBytes = qsizetype(4) << 20;
// Blocks inside blocks (if, for, function, menuentry, submenu): real files nest
// a handful; the reader recurses once a level.
inline constexpr int GrubNesting = 64;
// Commands and menu items one grub.cfg may hold (a loopback ISO menu has hundreds).
inline constexpr int GrubCommands = 100'000;
// Files a tree's own grub.cfg brings in through source lines when its menu is compared.
inline constexpr int GrubSourcedFiles = 64;
// PBKDF2 iterations of a password checked: grub-mkpasswd-pbkdf2 makes 10000;
// a count past this would freeze the simulator's prompt for minutes.
inline constexpr qulonglong GrubPbkdf2Iterations = 1'000'000;
// Salt or hash bytes of one password_pbkdf2 text (64 each by default).
inline constexpr qsizetype GrubPbkdf2Bytes = 1024;

// The GRUB side.
// Components nested in a gfxmenu theme's containers: GRUB's loader recurses
// without a bound; past this many the theme is refused rather than the
// stack run out.
inline constexpr int GrubThemeNesting = 64;

// Findings and other lists shown to the user.

// Findings one file, or one configuration's set, lists: past this many,
// one "and N more problems" takes the rest.
inline constexpr int Findings = 500;

// The editor.
// The file lines by document lines matched to keep a configuration's mixed
// line breaks (4 bytes each); past it, changed lines are paired in order.
inline constexpr qsizetype LineBreakMatchCells = qsizetype(1) << 20;
// What Run Configuration keeps of decoded MENU BACKGROUND pictures (their
// pixels and the file bytes they came from): a menu and its submenus have
// a few; past it the longest unused goes.
inline constexpr qint64 KeptBackgroundBytes = qint64(64) << 20;

}
