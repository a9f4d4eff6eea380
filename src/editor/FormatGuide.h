#pragma once

#include <QDialog>

// Help > Display File Format: a guide to the codes of a display file, the
// screen, how the boot loader differs from the preview, the problems the
// editor reports and the keyboard shortcuts. Not modal.
class FormatGuide : public QDialog {
    Q_OBJECT

public:
    explicit FormatGuide(QWidget* parent = nullptr);
};
