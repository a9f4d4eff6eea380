#pragma once

#include <QIcon>

// The program's icon: a small PC text screen with a coloured title bar and
// a frame, drawn at each size rather than scaled.
QIcon ProgramIcon();
