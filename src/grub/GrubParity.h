#pragma once

#include "GrubPlan.h"

#include <vector>

// What of a tree's SYSLINUX side the GRUB side cannot do the same way, each
// at its file and line in plain words: the generator's own findings (what
// it left out or carried differently) and the rules GRUB has no place for
// (TOTALTIMEOUT, ONTIMEOUT, disabled entries and separators, TEXT HELP,
// DISPLAY and SAY before the menu, MENU GOTO and QUIT, the boot: prompt and
// its keys, colours GRUB's theme cannot hold, hotkeys that boot at once,
// Tab that is e). Each once, in file and line order.
std::vector<GrubFinding> GrubParity(const BootFiles& files, const ConfigSet& set, const GrubPlan& plan);
std::vector<GrubFinding> GrubParity(const BootFiles& files);
