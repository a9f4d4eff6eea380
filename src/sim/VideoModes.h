#pragma once

// Whether QEMU's standard VGA, through SeaBIOS 1.16's VBE modes, offers
// vesamenu.c32 a mode of exactly this size that it can draw in: direct
// colour of 15, 16, 24 or 32 bits a pixel, within the card's 16 MiB. Without
// one the module's console falls back to the text screen, where it runs as
// menu.c32 does (com32/lib/sys/vesa/initvesa.c, vesaserial_write.c).
bool VesaModeOffered(int width, int height);
