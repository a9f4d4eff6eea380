#include "ConsoleWindow.h"

#include "Console.h"

void ConsoleWindow::PostScroll(CellPair amount)
{
    m_waitingScroll = amount;
    Wake(ConsoleMessage::WM_CONSOLESCROLL);
}

void ConsoleWindow::PostTrack()
{
    m_trackWaiting = true;
    Wake(ConsoleMessage::WM_CONSOLETRACK);
}

void ConsoleWindow::DeliverWaiting(ConsoleMessage message, TConsole& console)
{
    if (message == ConsoleMessage::WM_CONSOLETRACK) {
        if (std::exchange(m_trackWaiting, false))
            console.MessageArrived(message, 0, 0);
    } else if (const std::optional<CellPair> amount = TakeWaitingScroll()) {
        console.MessageArrived(message, amount->x, amount->y);
    }
}
