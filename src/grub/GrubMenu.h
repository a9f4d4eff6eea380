#pragma once

#include <QByteArray>

#include <vector>

// One file of the GRUB side, its path relative to GRUB's folder ($prefix:
// boot/grub/ on a disc or disk, grub/ in a TFTP root).
struct GrubFile {
    QByteArray path;
    QByteArray bytes;
};
