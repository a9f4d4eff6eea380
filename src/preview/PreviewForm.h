#pragma once

class ConsoleWidget;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class TConsole;

// The preview window's controls, by the names its handlers use and as
// objectName: the console showing the whole 80 × 25 screen, Refresh and
// Close below it, and between them the choice of how to render (the
// preview's own rules or the boot loader's) with the boot mode's prompt and
// blink switches; the serial port's text under it in boot mode.
struct PreviewForm {
    ConsoleWidget* Terminal1 = nullptr;
    QPushButton* Button1 = nullptr; // "Refresh"
    QPushButton* Button2 = nullptr; // "Close"
    QComboBox* Mode = nullptr;
    QCheckBox* Prompt = nullptr;
    QCheckBox* BrightBackgrounds = nullptr;
    QPlainTextEdit* SerialView = nullptr;
    QLabel* FontNote = nullptr; // only when the VGA font is missing

    void SetUp(QWidget& window, TConsole& console);
    // Places the controls round the console, whose cells are measured by
    // now, and sizes the window to them.
    void LayOut(QWidget& window) const;
};
