#pragma once

class ConsoleWidget;
class QPushButton;
class QWidget;
class TConsole;

// The preview window's controls, by the names its handlers use and as
// objectName: the console showing the whole 80 × 25 screen, Refresh and
// Close below it.
struct PreviewForm {
    ConsoleWidget* Terminal1 = nullptr;
    QPushButton* Button1 = nullptr; // "Refresh"
    QPushButton* Button2 = nullptr; // "Close"

    void SetUp(QWidget& window, TConsole& console);
    // Sizes the window round the console, whose cells are measured by now.
    void LayOut(QWidget& window) const;
};
