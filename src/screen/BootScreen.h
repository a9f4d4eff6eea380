#pragma once

#include "Screen.h"

#include <QByteArrayView>

struct ScreenSnapshot;

struct BootView {
    Screen screen;
    Spot cursor; // where the file left the loader's cursor: its prompt starts there
};

// The screen the boot loader draws for a display file on a cleared screen,
// without its prompt.
BootView BootScreenOf(QByteArrayView file);

// A recorded or rendered screen's cells (80 x 25); any other size gives the
// cells it has in common.
Screen ScreenOf(const ScreenSnapshot& snapshot);
