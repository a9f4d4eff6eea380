#pragma once

#include "ConfigLinter.h"

// What the UEFI side Glimra makes of a configuration cannot do as the
// SYSLINUX side does (notes, at the SYSLINUX lines), and where a grub.cfg
// the tree ships itself differs from its menu or cannot be read
// (warnings). Kept apart from LintBootConfig: it speaks of the other
// firmware, and Problems and --check add it to those.
std::vector<FileProblem> LintUefiSide(const BootFiles& files);
