#pragma once

#include "boot/BootGraphics.h"

// The 3.x/4.x core's graphics mode as the boot screen plays it: images
// opened as open opens a name, decoded by vesa/'s LSS16 reader, text in
// QEMU's VGA BIOS font.
BootGraphics CoreGraphics(std::function<std::optional<QByteArray>(const QByteArray& name)> open);

// An LSS16 file as colour numbers and its palette; nothing for no LSS16
// image (larger than 640 x 480 included: vesa/'s reader refuses it).
std::optional<GraphicsImage> CoreLss16Image(QByteArrayView bytes);
