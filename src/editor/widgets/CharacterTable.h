#pragma once

#include <QPlainTextEdit>

// The on-screen keyboard: a read-only text of the PC screen's characters
// 128 to 254, each followed by two spaces, wrapped at the control's width.
// It reports clicks; what a click picks is the main window's decision.
class CharacterTable : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit CharacterTable(QWidget* parent = nullptr);

    // The table's text: 127 characters and their spaces, 381 in all.
    static QString TableText();
    static constexpr int TableLength = 3 * (254 - 128 + 1);

signals:
    // A click, including the first click of a double-click.
    void Clicked();
    void DoubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
    bool m_afterDoubleClick = false;
};
