#pragma once

#include "VmTools.h"

#include <QByteArray>

#include <chrono>

// What the real loader showed: the VGA text memory (character and
// attribute byte per cell, 80 x 25), the BIOS cursor, the whole serial log
// and, when asked for, QEMU's picture of the screen as PNG.
struct VmScreen {
    static constexpr int Cols = 80;
    static constexpr int Rows = 25;
    QByteArray text;
    int cursorColumn = 0;
    int cursorRow = 0;
    QByteArray serial;
    QByteArray png;
};

// Boots a CD image in QEMU without a window and reads the screen once the
// serial log ends in the prompt and two reads of the screen agree. QEMU is
// always ended by its process id before this returns or throws; the files it
// made stay in workFolder for its owner to remove. Throws EVmError when QEMU
// ends early or the time limit passes.
VmScreen BootHeadless(const VmTools& tools, const QString& iso, const QString& workFolder,
    std::chrono::milliseconds limit, bool withPicture);
