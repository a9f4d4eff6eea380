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

}
