#pragma once

#include "RenderArguments.h"
#include "grub/GrubPlay.h"

// --config with --firmware uefi: the GRUB menu made of the tree (by side)
// played after the keys, its screen as PNG or what GRUB is doing as JSON.
// --export grub: the side written into --output, a new or empty folder.
int ExportGrubFolder(const RenderArguments& arguments, const GrubSide& side);

int RenderGrub(const RenderArguments& arguments, const BootFiles& files, const GrubSide& side);
