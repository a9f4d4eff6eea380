#pragma once

#include "ConsoleTypes.h"

#include <functional>
#include <optional>
#include <utility>

class TConsole;

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

    // The console's deferred work: at most one waiting scroll (the merged
    // amount, in cells) and one waiting track. The window wakes itself
    // through its event loop and then calls DeliverWaiting.
    void PostScroll(CellPair amount);
    // The waiting scroll, taken out so that it will not be carried out.
    std::optional<CellPair> TakeWaitingScroll() { return std::exchange(m_waitingScroll, std::nullopt); }
    const std::optional<CellPair>& WaitingScroll() const { return m_waitingScroll; }
    void PostTrack();
    bool TrackWaiting() const { return m_trackWaiting; }
    // Hands what waits for message to the console's MessageArrived.
    void DeliverWaiting(ConsoleMessage message, TConsole& console);

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

protected:
    // Arranges one later DeliverWaiting(message) from the event loop; one
    // already arranged and not yet run is enough.
    virtual void Wake(ConsoleMessage message) = 0;

private:
    std::optional<CellPair> m_waitingScroll;
    bool m_trackWaiting = false;
};
