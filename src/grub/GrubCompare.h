#pragma once

#include "GrubPlan.h"

#include <optional>
#include <vector>

// A tree that ships its own grub.cfg (real hybrid discs do) held against
// its SYSLINUX menu: the entries matched by title (case and blanks aside),
// the default and the timeout, and for entries found in both the kernel,
// its arguments as words and the initrds. The grub.cfg's source lines are
// followed where they name a file of the tree ($prefix as the grub.cfg's
// folder); GRUB's variables are kept as written. Each difference is one
// finding, at the ISOLINUX line or the grub.cfg's.

// The tree's own grub.cfg: boot/grub/, EFI/BOOT/ or grub/ under its root.
std::optional<QByteArray> OwnGrubConfig(const BootFiles& files);

std::vector<GrubFinding> CompareGrubMenus(const BootFiles& files, const GrubPlan& plan);
// Nothing when the tree ships no grub.cfg.
std::vector<GrubFinding> CompareGrubMenus(const BootFiles& files);
