#pragma once

#include "RenderArguments.h"
#include "grub/GrubPlay.h"

// --config: the configuration played by the loader's simulator after the
// keys (or booted in QEMU with --mode vm), its screen written in the
// format asked for. A file of its set that is there but cannot be read, or
// a bound of Glimra's met, ends it with status 1 before it plays. With
// --firmware uefi it plays the GRUB side that side makes of the tree.
int RenderConfiguration(const RenderArguments& arguments, const GrubSide& side = {});
