#pragma once

#include "console/qt/QtCanvas.h"

#include <QImage>

class TColorConsole;

// The console's own painting of its whole grid, one cell per character.
QImage PaintScreen(TColorConsole& console, BlinkPhase blink = BlinkPhase::Bright, VgaDots dots = VgaDots::Nine);
