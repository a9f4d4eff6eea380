#pragma once

#include "GlyphCache.h"
#include "QtCanvas.h"
#include "console/ConsoleWindow.h"

#include <QAbstractScrollArea>

#include <optional>

class QEventLoop;
class TConsole;

// The window of a console: paints it, passes it keys, focus, size and
// scroll-bar actions, wakes itself for the console's deferred work with
// posted events of the two message numbers, and draws its caret. What the
// console invalidates is gathered in one rectangle and handed to Qt once
// per pass of the event loop. The console is not owned and must outlive
// the widget.
class ConsoleWidget : public QAbstractScrollArea, public ConsoleWindow {
    Q_OBJECT

public:
    explicit ConsoleWidget(TConsole& console, QWidget* parent = nullptr);
    ~ConsoleWidget() override;

    TConsole& Console() const { return m_console; }

    // How backgrounds 8-f show from the next paint on.
    void SetBlinkPhase(BlinkPhase phase);
    BlinkPhase Blink() const { return m_blink; }

    // A cell drawn with an outline (the editor's caret), or none.
    void SetMarkedCell(std::optional<CellPair> cell);
    std::optional<CellPair> MarkedCell() const { return m_marked; }

    // The grid's size in pixels plus the scroll bars: the size at which the
    // whole grid is visible.
    QSize SizeForWholeGrid() const;

    // ConsoleWindow
    PixelRect ClientRect() const override;
    void Invalidate(const PixelRect& rect) override;
    void InvalidateAll() override;
    void UpdateNow() override;
    void ScrollPixels(int dx, int dy, const PixelRect& clip) override;
    void SetScrollRange(ScrollAxis axis, int maximum) override;
    void SetScrollPosition(ScrollAxis axis, int position) override;
    void ShowCaret(const PixelRect& rect) override;
    void HideCaret() override;
    void TakeFocus() override;
    void Beep() override;
    void ProcessPendingEvents() override;
    bool RunEventsUntil(const std::function<bool()>& done) override;

signals:
    // A click on a cell of the grid.
    void CellClicked(CellPair cell);

protected:
    void Wake(ConsoleMessage message) override;
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void ScrollBarAction(ScrollAxis axis, int action);
    void HandDirtyToQt();
    std::optional<QRect> MarkedRect() const;

    TConsole& m_console;
    GlyphCache m_glyphs;
    BlinkPhase m_blink = BlinkPhase::Bright;
    bool m_created = false;
    QRect m_dirty;
    bool m_handOverPosted = false;
    bool m_trackPosted = false;
    bool m_scrollPosted = false;
    std::optional<QRect> m_caret;
    std::optional<CellPair> m_marked;
    QEventLoop* m_readLoop = nullptr;
};
