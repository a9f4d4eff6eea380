#pragma once

#include "config/LoaderVersion.h"

// The rules that differ between SYSLINUX builds, each asked of the build
// played where the one simulator applies it; named for what the build does,
// with the release and source that bring the change.
namespace VersionRules {

// menumain.c: the scroll bar moves with MENU VSHIFT since fa1629d8 (6.04);
// before, it is drawn VSHIFT rows too high.
constexpr bool ScrollBarShifts(const LoaderVersion& version) { return version.AtLeast(6, 4); }

// cli.c edit_cmdline: the line's buffer is static since 8dc6d758 (6.04),
// so a new prompt holds the last line unseen and an empty Enter runs it
// again; before, each prompt starts empty and an empty Enter boots the
// default. The assembly core of 3.x/4.x starts each prompt empty too.
constexpr bool PromptKeepsLastLine(const LoaderVersion& version) { return version.AtLeast(6, 4); }

// menumain.c print_timeout_message: since 8276fe64 (4.00) the countdown is
// padded over what the last message showed; before, by 4 blanks each side.
constexpr bool CountdownPadsToLastMessage(const LoaderVersion& version) { return version.AtLeast(4, 0); }

// core/configinit.inc (3.x): without DEFAULT or UI the default command is
// "linux auto"; b5ff7782 (4.00) removed it.
constexpr bool ImplicitLinuxAuto(const LoaderVersion& version) { return !version.AtLeast(4, 0); }

// vesamenu's background.c: a picture smaller than the screen is tiled since
// tile_image() came with 60701611 (4.00); before, it sits at the top left
// on black.
constexpr bool BackgroundTiles(const LoaderVersion& version) { return version.AtLeast(4, 0); }

// vesamenu's background.c before 46202699 (3.85): without MENU BACKGROUND
// the default background clobbers memory, and the screen stays black.
constexpr bool NoBackgroundHangs(const LoaderVersion& version) { return !version.AtLeast(3, 85); }

// core/ui.inc (3.x, 4.x): the assembly core's boot: prompt. Typing only
// appends (Backspace and DEL take the last byte back, a space is not
// first), Ctrl-U starts a new prompt on the next row, Ctrl-F and a digit
// show an F-key's file, an F-key without a file does nothing, and the
// prompt comes again where a help file or Tab's list left the cursor,
// written over the cells without changing their colours (BIOS teletype).
constexpr bool AssemblyPrompt(const LoaderVersion& version) { return version.AssemblyCore(); }

// core/conio.inc msg_putchar (3.x, 4.x): display files by the core's few
// codes, every other control byte a glyph (BootOptions::core).
constexpr bool CoreDisplayFiles(const LoaderVersion& version) { return version.AssemblyCore(); }

// core/ui.inc bad_kernel (3.x, 4.x): whatever cannot be loaded, a kernel,
// a module or a boot sector, is "Could not find kernel image: NAME".
constexpr bool KernelNotFoundForAll(const LoaderVersion& version) { return version.AssemblyCore(); }

// core/ui.inc ctrl_f: the F-key Ctrl-F and a key shows, as an index 0-11
// (F1-F12), -1 for none, 12 past the table (shows nothing). '0' and 'a'
// are F11, 'b' F12.
constexpr int CtrlFKeyIndex(char key)
{
    const char lower = static_cast<char>(key | 0x20);
    if (key == '0')
        return 10;
    if (key >= '1' && key <= '9')
        return key - '1';
    if (key >= '0' && lower >= 'a' && lower <= 'c')
        return lower - 'a' + 10;
    return -1;
}

}
