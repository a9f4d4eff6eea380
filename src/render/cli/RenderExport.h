#pragma once

#include "RenderArguments.h"
#include "vm/GrubImage.h"

// --export: boot media of --config's tree at --output; what is left out
// or replaced is told on standard error. Exit status 0, or 1 with the reason.
// The media boot UEFI machines too when grub makes their GRUB folder,
// unless --bios-only.
int ExportMedia(const RenderArguments& arguments, const GrubMenuMaker& grub = {});
