#pragma once

#include "GrubPlan.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

// One file of the GRUB side, its path relative to GRUB's folder ($prefix:
// boot/grub/ on a disc or disk, grub/ in a TFTP root).
struct GrubFile {
    QByteArray path;
    QByteArray bytes;
};

// A tree's whole UEFI side, made from Glimra's own reading of it: grub.cfg,
// the font, one gfxmenu theme per menu GRUB shows (vesamenu's screen
// rebuilt, menu.c32's text screen drawn), and the display files the F-keys
// and DISPLAY show, pre-rendered as pictures. What did not carry over is in
// findings; notes say what GRUB will do differently that is no line's fault
// (a video mode the firmware may lack, no font to draw in).
struct GrubSideFiles {
    std::vector<GrubFile> files;
    std::vector<GrubFinding> findings;
    QStringList notes;
    bool exact = true; // every theme is the module's own pixels (no list that scrolls)
};
GrubSideFiles MakeGrubSide(const BootFiles& files);
GrubSideFiles MakeGrubSide(const BootFiles& files, const ConfigSet& set);

// The files written into a new or empty folder: made beside it under a
// hidden name and renamed into place when whole, so a failure leaves
// nothing. Throws Exception with the reason.
void WriteGrubFolder(const std::vector<GrubFile>& files, const QString& folder);
