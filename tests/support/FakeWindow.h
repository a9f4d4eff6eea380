#pragma once

#include "console/Console.h"
#include "console/ConsoleWindow.h"

#include <deque>
#include <vector>

// A console window that records what the console asks of it and keeps a
// message queue that the test drains by hand, as an event loop would.
class FakeWindow : public ConsoleWindow {
public:
    struct Scroll {
        int dx, dy;
        PixelRect clip;
    };
    struct Message {
        ConsoleMessage message;
        int first, second;
    };

    explicit FakeWindow(TConsole& console, PixelRect client = { 0, 0, 640, 400 })
        : console(console)
        , client(client)
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
    void PostMessage(ConsoleMessage message, int first, int second) override
    {
        queue.push_back({ message, first, second });
    }
    std::optional<std::pair<int, int>> FindMessage(ConsoleMessage message, bool remove) override
    {
        for (auto it = queue.begin(); it != queue.end(); ++it) {
            if (it->message != message)
                continue;
            std::pair<int, int> found { it->first, it->second };
            if (remove)
                queue.erase(it);
            return found;
        }
        return std::nullopt;
    }
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

    int Waiting(ConsoleMessage message) const
    {
        int count = 0;
        for (const Message& waiting : queue)
            count += waiting.message == message;
        return count;
    }
    void DeliverAll()
    {
        while (!queue.empty()) {
            Message next = queue.front();
            queue.pop_front();
            console.MessageArrived(next.message, next.first, next.second);
        }
    }

    TConsole& console;
    PixelRect client;
    std::vector<PixelRect> invalidated;
    int invalidatedAll = 0;
    int updates = 0;
    std::vector<Scroll> scrolls;
    int hRange = -1, vRange = -1, hPosition = -1, vPosition = -1;
    std::deque<Message> queue;
    std::optional<PixelRect> caret;
    int beeps = 0;
    std::vector<char> pendingKeys;
    std::function<void()> whileWaiting;

private:
    int& rangeOf(ScrollAxis axis) { return axis == ScrollAxis::Horizontal ? hRange : vRange; }
    int& positionOf(ScrollAxis axis) { return axis == ScrollAxis::Horizontal ? hPosition : vPosition; }
};
