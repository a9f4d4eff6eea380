#pragma once

#include "ConsoleWindow.h"

#include <QAbstractScrollArea>
#include <QRegion>

#include <optional>

class QEventLoop;
class TConsole;

// The window of a console: paints it, passes it keys, focus, size and
// scroll-bar actions, carries its two private messages as posted events, and
// draws its caret. The console is not owned and must outlive the widget.
class ConsoleWidget : public QAbstractScrollArea, public ConsoleWindow {
    Q_OBJECT

public:
    explicit ConsoleWidget(TConsole& console, QWidget* parent = nullptr);
    ~ConsoleWidget() override;

    TConsole& Console() const { return m_console; }

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
    void PostMessage(ConsoleMessage message, int first, int second) override;
    std::optional<std::pair<int, int>> FindMessage(ConsoleMessage message, bool remove) override;
    void ShowCaret(const PixelRect& rect) override;
    void HideCaret() override;
    void TakeFocus() override;
    void Beep() override;
    void ProcessPendingEvents() override;
    bool RunEventsUntil(const std::function<bool()>& done) override;

protected:
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
    class MessageEvent;

    void ScrollBarAction(ScrollAxis axis, int action);
    MessageEvent*& WaitingSlot(ConsoleMessage message);

    TConsole& m_console;
    bool m_created = false;
    QRegion m_dirty;
    std::optional<QRect> m_caret;
    MessageEvent* m_waitingTrack = nullptr;
    MessageEvent* m_waitingScroll = nullptr;
    QEventLoop* m_readLoop = nullptr;
};
