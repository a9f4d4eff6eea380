#pragma once

#include <QPushButton>

// A push button whose caption wraps onto more lines when it is too wide.
class WrappingButton : public QPushButton {
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};
