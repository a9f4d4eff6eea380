#pragma once

#include <functional>

class QAction;
class QDockWidget;
class QWidget;

// Makes a menu entry a dock's: ticked while the dock shows, it shows the
// dock and puts the keyboard inside; chosen again from inside, it hides the
// dock and gives the keyboard back (back says how).
void ReachDock(QAction* entry, QDockWidget* dock, QWidget* inside, std::function<void()> back);
