#pragma once

#include "ConsoleTypes.h"

#include <optional>
#include <utility>

// What the console needs of the window that shows it. A console without a
// window keeps its grid and view state; the pixel work is then skipped and
// deferred requests are carried out at once.
class ConsoleWindow {
public:
    virtual ~ConsoleWindow() = default;

    virtual PixelRect ClientRect() const = 0;
    virtual void Invalidate(const PixelRect& rect) = 0;
    virtual void InvalidateAll() = 0;
    // Repaints what is invalid, before returning.
    virtual void UpdateNow() = 0;
    // Moves the pixels inside clip by (dx, dy); the caller invalidates what
    // the move uncovers.
    virtual void ScrollPixels(int dx, int dy, const PixelRect& clip) = 0;
    virtual void SetScrollRange(ScrollAxis axis, int maximum) = 0;
    virtual void SetScrollPosition(ScrollAxis axis, int position) = 0;

    virtual void PostMessage(ConsoleMessage message, int first, int second) = 0;
    // The parameters of a waiting message of that kind, taken out of the
    // queue when remove is set.
    virtual std::optional<std::pair<int, int>> FindMessage(ConsoleMessage message, bool remove) = 0;

    // The caret: a solid block drawn by the window over the cells.
    virtual void ShowCaret(const PixelRect& rect) = 0;
    virtual void HideCaret() = 0;

    virtual void TakeFocus() = 0;
    virtual void Beep() = 0;

    // Handles every pending event once, without waiting.
    virtual void ProcessPendingEvents() = 0;
    // Handles events, waiting for them, until done() holds; false when the
    // application was asked to quit first.
    virtual bool RunEventsUntil(const std::function<bool()>& done) = 0;
};
