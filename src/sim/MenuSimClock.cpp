// menu.c32's help screens, how keys reach the menu, and its clock.
#include "MenuSim.h"

#include <limits>

#include "KeyCodes.h"
#include "MenuDetail.h"
#include "MenuHelpFile.h"
#include "config/BootFiles.h"

using namespace MenuDetail;

using namespace KeyCodes;

// An F-key's screen, if it has a file that opens; true while it waits.
bool MenuSim::ShowFunctionKey(int key, MessageFor purpose)
{
    const std::optional<FunctionKey>& fkey = Current().functionKeys[static_cast<std::size_t>(key - KeyF1)];
    if (!fkey)
        return false;
    m_messageFor = purpose;
    return ShowMessageFile(fkey->file, fkey->background);
}

// A help screen by the module's own reading (HelpScreenBytes). A picture
// of its own is the background until a key (printmsg.c), even when the
// file does not open.
bool MenuSim::ShowMessageFile(const QByteArray& name, const QByteArray& background)
{
    m_oldBackground.reset();
    if (!background.isEmpty()) {
        m_oldBackground = m_background;
        m_background = background;
    }
    const std::optional<QByteArray> bytes = m_files.ReadNamed(m_folder, name);
    if (!bytes) {
        RestoreBackground();
        return false;
    }
    Print(HelpScreenBytes(*bytes));
    Await(Wait::Message, 0);
    return true;
}

// Only a picture that was set comes back: after a menu without MENU
// BACKGROUND the F-key's stays.
void MenuSim::RestoreBackground()
{
    if (m_oldBackground)
        m_background = *m_oldBackground;
    m_oldBackground.reset();
}

void MenuSim::MessageKey(int key)
{
    RestoreBackground();
    // Another F-key shows its screen; any other key goes back.
    if (key >= KeyF1 && key <= KeyF12 && ShowFunctionKey(key, m_messageFor))
        return;
    if (m_messageFor == MessageFor::Edit)
        return DrawEditLine();
    Settle();
}

void MenuSim::Key(int key)
{
    switch (m_wait) {
    case Wait::Hidden: return HiddenKey(key);
    case Wait::Menu: return MenuKey(key);
    case Wait::Edit: return EditKey(key);
    case Wait::Password: return PasswordKey(key);
    case Wait::Message: return MessageKey(key);
    case Wait::None: return;
    }
}

void MenuSim::Give(const LoaderInput& input)
{
    if (m_outcome != Outcome::Running)
        return;
    if (GiveTime(*this, input))
        return;
    const int key = KeyCodeOf(input);
    if (key == KeyNone)
        return;
    // A TOTALTIMEOUT below zero is over at the first key (mygetkey).
    if (m_totalLeft < 0)
        return TotalTimedOut();
    Key(key);
    m_waited = 0;
    m_totalAtWait = m_totalLeft;
}

void MenuSim::NoKey()
{
    if (m_wait == Wait::Hidden)
        HiddenKey(KeyNone);
    else if (m_wait == Wait::Menu)
        MenuKey(KeyNone);
}

void MenuSim::Await(Wait wait, long long milliseconds)
{
    m_wait = wait;
    m_waitMs = milliseconds;
    m_waited = 0;
    m_totalAtWait = m_totalLeft;
}

// How long until TOTALTIMEOUT ends the wait, 0 for never. The module's
// long long runs down over every wait; below zero it ends the first one,
// which lasts at most its clock_t.
long long MenuSim::TotalLeft() const
{
    if (m_totalLeft >= 0)
        return m_totalLeft;
    const long long limit = static_cast<std::uint32_t>(m_totalLeft);
    const long long wait = m_waitMs > 0 ? std::min(m_waitMs, limit) : limit;
    return wait > m_waited ? wait - m_waited : 0;
}

// TOTALTIMEOUT ends whatever waits, as the default's timeout does. The
// module's count stays where the last wait began, so after a failed
// command the menu times out again that much later.
void MenuSim::TotalTimedOut()
{
    if (m_totalLeft > 0 || m_totalAtWait > 0)
        m_totalLeft = m_totalAtWait;
    if (m_wait != Wait::Hidden)
        m_wait = Wait::Menu;
    TimedOut();
}

// Whole seconds of a countdown passed at once, while its message keeps its
// length (the same digits, past "two"): each one only writes other digits
// over the same cells, so the last one drawn is all that shows.
long long MenuSim::SkipTicks(long long milliseconds)
{
    const bool menu = m_wait == Wait::Menu && m_keyTimeout != 0;
    const bool hidden = m_wait == Wait::Hidden && m_hiddenStep == Tick;
    if ((!menu && !hidden) || m_waitMs != Tick || m_waited != 0 || m_totalLeft < 0)
        return 0;
    long long& left = menu ? m_timeoutLeft : m_hiddenLeft;
    const long long shown = left / Tick;
    long long lowest = 1;
    while (lowest * 10 <= shown)
        lowest *= 10;
    lowest = std::max(lowest, 3LL);
    // The last tick, and any that TOTALTIMEOUT ends, are played.
    long long ticks = std::min(milliseconds / Tick, shown - lowest) - 1;
    if (m_totalLeft > 0)
        ticks = std::min(ticks, m_totalLeft / Tick - 1);
    if (ticks <= 0)
        return 0;
    left -= ticks * Tick;
    if (m_totalLeft > 0)
        m_totalLeft -= ticks * Tick;
    m_totalAtWait = m_totalLeft;
    return ticks * Tick;
}

long long MenuSim::Sleep(long long milliseconds)
{
    while (milliseconds > 0 && m_outcome == Outcome::Running && m_wait != Wait::None) {
        milliseconds -= SkipTicks(milliseconds);
        const long long total = TotalLeft();
        long long step = milliseconds;
        if (m_waitMs > 0)
            step = std::min(step, m_waitMs - m_waited);
        if (total > 0)
            step = std::min(step, total);
        milliseconds -= step;
        m_waited += step;
        if (m_totalLeft > 0)
            m_totalLeft -= step;
        if (total > 0 && step == total)
            TotalTimedOut();
        else if (m_waitMs > 0 && m_waited >= m_waitMs)
            NoKey();
    }
    return m_outcome == Outcome::Running ? 0 : milliseconds;
}

bool MenuSim::RunOutTimeout()
{
    bool ran = false;
    while (m_outcome == Outcome::Running) {
        const bool timed = (m_wait == Wait::Menu || m_wait == Wait::Hidden) && m_waitMs > 0;
        const long long total = TotalLeft();
        if (!timed && total == 0)
            break;
        long long next = timed ? m_waitMs - m_waited : total;
        if (total > 0)
            next = std::min(next, total);
        // A countdown of days runs out as quickly as one of seconds.
        if (timed)
            SkipTicks(std::numeric_limits<long long>::max() / 2);
        Sleep(std::max(1LL, next));
        ran = true;
    }
    return ran;
}
