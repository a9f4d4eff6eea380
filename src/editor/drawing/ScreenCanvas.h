#pragma once

#include "screen/BoxDrawing.h"
#include "screen/Screen.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

// The drawing mode's canvas: the loader's 80 x 25 screen as a picture, with
// rulers of columns and rows, a cell cursor, a rectangular selection and a
// ghost of the boot: prompt where the loader will print it. It moves the
// cursor and the selection itself; every change of cells it asks for by a
// signal, and the drawing mode answers with a new screen.
class ScreenCanvas : public QWidget {
    Q_OBJECT

public:
    enum class Tool { Select, Line, Box };

    explicit ScreenCanvas(QWidget* parent = nullptr);

    // The screen, its picture (9 x 16 dots a cell) and the prompt's text as
    // the loader will show it, from its first cell.
    void Show(const Screen& screen, const QImage& picture, Spot prompt, const QByteArray& promptGlyphs);
    // A picture shown for a while instead (a line being dragged).
    void ShowPicture(const QImage& picture);
    const Screen& Shown() const { return m_screen; }

    Spot Cursor() const { return m_cursor; }
    CellRect Selection() const { return CellRect::Spanning(m_anchor, m_cursor); }
    // Moves the cursor; with extend the selection's anchor stays. After
    // typing, Enter still goes back to the column where the typing began.
    void SetCursor(Spot cursor, bool extend = false, bool typing = false);
    void Select(const CellRect& selection);
    void SetTool(Tool tool) { m_tool = tool; }
    Tool CurrentTool() const { return m_tool; }

    // The cell under a point of the widget, if any.
    std::optional<Spot> CellAt(QPoint point) const;
    // Where a cell is drawn on the widget.
    QRect CellRectangle(Spot cell) const;
    // The screen's rectangle on the widget, rulers excluded.
    QRect ScreenRectangle() const;
    // The size that shows every dot once, rulers included.
    static QSize NaturalSize();

signals:
    void CursorMoved();
    // Characters typed (over the selection, or at the cursor).
    void Typed(const QString& text);
    // Delete or Backspace: the selection's cells (or the cell before the
    // cursor) become blank.
    void Erase(bool backspace);
    // A line or box tool dragged from one cell to another; finished when
    // the button was let go.
    void Dragged(Spot from, Spot to, bool finished);
    // Alt with an arrow: a line from the cursor to the next cell.
    void LineStep(Spot from, Spot to);
    // Ctrl with Up or Down (foreground) or Left or Right (background).
    void ColourStep(int foreground, int background);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    static constexpr int RulerWidth = 26;
    static constexpr int RulerHeight = 16;
    double Scale() const;
    Spot NearestCell(QPoint point) const;
    void PaintRulers(QPainter& painter);
    void PaintRulerMarks(QPainter& painter);
    void PaintPromptGhost(QPainter& painter);
    bool Moved(QKeyEvent* event);

    Screen m_screen;
    QImage m_picture;
    QPixmap m_rulers; // numbers and ticks, drawn again only when the size changes
    Spot m_prompt;
    QByteArray m_promptGlyphs;
    Spot m_cursor;
    Spot m_anchor;
    int m_typingColumn = 0;
    Tool m_tool = Tool::Select;
    std::optional<Spot> m_dragFrom;
};
