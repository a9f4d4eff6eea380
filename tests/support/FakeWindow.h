#pragma once

#include "console/Console.h"
#include "console/ConsoleWindow.h"

#include <algorithm>
#include <deque>
#include <vector>

// A console window that records what the console asks of it; the test
// runs its wake-ups by hand, as an event loop would.
class FakeWindow : public ConsoleWindow {
public:
    struct Scroll {
        int dx, dy;
        PixelRect clip;
    };

    explicit FakeWindow(TConsole& shown, PixelRect clientRect = { 0, 0, 640, 400 })
        : console(shown)
        , client(clientRect)
    {
        console.AttachWindow(this);
        console.WindowCreated();
    }
    ~FakeWindow() override { console.AttachWindow(nullptr); }

    PixelRect ClientRect() const override { return client; }
    void Invalidate(const PixelRect& rect) override { invalidated.push_back(rect); }
    void InvalidateAll() override { ++invalidatedAll; }
    void UpdateNow() override { ++updates; }
    void ScrollPixels(int dx, int dy, const PixelRect& clip) override { scrolls.push_back({ dx, dy, clip }); }
    void SetScrollRange(ScrollAxis axis, int maximum) override { rangeOf(axis) = maximum; }
    void SetScrollPosition(ScrollAxis axis, int position) override { positionOf(axis) = position; }
    void ShowCaret(const PixelRect& rect) override { caret = rect; }
    void HideCaret() override { caret.reset(); }
    void TakeFocus() override { console.FocusGained(); }
    void Beep() override { ++beeps; }
    void ProcessPendingEvents() override { DeliverAll(); }
    bool RunEventsUntil(const std::function<bool()>& done) override
    {
        if (whileWaiting)
            whileWaiting();
        while (!done()) {
            if (pendingKeys.empty())
                return false; // nothing more will come: as if asked to quit
            console.CharacterTyped(pendingKeys.front());
            pendingKeys.erase(pendingKeys.begin());
        }
        return true;
    }

    // Wake-ups in the order the event loop would run them.
    void DeliverAll()
    {
        while (!wakes.empty()) {
            const ConsoleMessage next = wakes.front();
            wakes.pop_front();
            DeliverWaiting(next, console);
        }
    }

    TConsole& console;
    PixelRect client;
    std::vector<PixelRect> invalidated;
    int invalidatedAll = 0;
    int updates = 0;
    std::vector<Scroll> scrolls;
    int hRange = -1, vRange = -1, hPosition = -1, vPosition = -1;
    std::deque<ConsoleMessage> wakes;
    std::optional<PixelRect> caret;
    int beeps = 0;
    std::vector<char> pendingKeys;
    std::function<void()> whileWaiting;

protected:
    void Wake(ConsoleMessage message) override
    {
        if (std::find(wakes.begin(), wakes.end(), message) == wakes.end())
            wakes.push_back(message);
    }

private:
    int& rangeOf(ScrollAxis axis) { return axis == ScrollAxis::Horizontal ? hRange : vRange; }
    int& positionOf(ScrollAxis axis) { return axis == ScrollAxis::Horizontal ? hPosition : vPosition; }
};
