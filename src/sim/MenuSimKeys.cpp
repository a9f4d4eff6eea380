// menu.c32's keys: the menu's own, the password box and the command-line
// editor.
#include "MenuSim.h"

#include "MenuDetail.h"
#include "config/ConfigSyntax.h"

using namespace MenuDetail;

namespace {

// Passwords written as crypt hashes start with $n$.
bool Hashed(const QByteArray& password) { return password.size() > 3 && password[0] == '$' && password[2] == '$'; }

}

void MenuSim::MenuKey(int key)
{
    const Menu& menu = Current();
    const int count = static_cast<int>(menu.entries.size());
    const int rows = Param(MenuParam::Rows);
    const int vshift = Param(MenuParam::VShift);
    const MenuEntry* entry = EntryAt(m_entry);
    if (key != KeyNone) {
        m_timeoutLeft = m_keyTimeout;
        if (m_toClear)
            Print(MoveTo(Param(MenuParam::TimeoutRow) + vshift, 1) + "\1#0\033[K");
    }
    switch (key) {
    case KeyNone:
        if (m_keyTimeout) {
            if (m_timeoutLeft <= m_waitMs)
                return TimedOut();
            m_timeoutLeft -= m_waitMs;
        }
        break;
    case Control('L'): m_clear = 1; break;
    case KeyEnter:
    case Control('J'): {
        m_keyTimeout = 0;
        m_passwordFor = PasswordFor::Entry;
        if (entry && entry->password) {
            m_clear = 1;
            return AskPassword(PasswordFor::Entry, entry->password);
        }
        return PasswordDone(true);
    }
    case KeyUp:
    case Control('P'):
        while (m_entry > 0) {
            if (--m_entry < m_top)
                m_top -= rows;
            if (!menu.Disabled(m_entry))
                break;
        }
        break;
    case KeyDown:
    case Control('N'):
        while (m_entry < count - 1) {
            if (++m_entry >= m_top + rows)
                m_top += rows;
            if (!menu.Disabled(m_entry))
                break;
        }
        break;
    case KeyPageUp:
    case KeyLeft:
    case Control('B'):
    case '<':
        m_entry -= rows;
        m_top -= rows;
        while (m_entry > 0 && menu.Disabled(m_entry)) {
            if (--m_entry < m_top)
                m_top -= rows;
        }
        break;
    case KeyPageDown:
    case KeyRight:
    case Control('F'):
    case '>':
    case ' ':
        m_entry += rows;
        m_top += rows;
        while (m_entry < count - 1 && menu.Disabled(m_entry)) {
            if (++m_entry >= m_top + rows)
                m_top += rows;
        }
        break;
    case '-':
        while (m_entry > 0) {
            --m_entry;
            --m_top;
            if (!menu.Disabled(m_entry))
                break;
        }
        break;
    case '+':
        while (m_entry < count - 1) {
            ++m_entry;
            ++m_top;
            if (!menu.Disabled(m_entry))
                break;
        }
        break;
    case Control('A'):
    case KeyHome: m_top = m_entry = 0; break;
    case Control('E'):
    case KeyEnd:
        m_entry = count - 1;
        m_top = std::max(0, count - rows);
        break;
    case KeyTab:
        if (menu.allowEdit && entry && entry->action == MenuAction::Command) {
            m_keyTimeout = 0;
            DrawRow(m_entry - m_top + 4 + vshift, -1, m_top, 0, 0);
            if (menu.masterPassword)
                return AskPassword(PasswordFor::Tab, std::nullopt);
            Print(MoveTo(Param(MenuParam::TabMsgRow) + vshift, 1) + "\1#0\033[K");
            DisplayHelp(nullptr);
            return StartEdit(entry->commandLine);
        }
        break;
    case Control('C'):
    case KeyEscape:
        if (menu.parent >= 0) {
            m_menu = menu.parent;
            m_clear = 2;
            m_entry = m_current[static_cast<std::size_t>(m_menu)];
            m_top = m_tops[static_cast<std::size_t>(m_menu)];
        } else if (menu.allowEdit) {
            m_clear = 1;
            m_keyTimeout = 0;
            DrawRow(m_entry - m_top + 4 + vshift, -1, m_top, 0, 0);
            if (menu.masterPassword)
                return AskPassword(PasswordFor::Escape, std::nullopt);
            return Finish(std::nullopt);
        }
        break;
    default:
        if (key >= KeyF1 && key <= KeyF12) {
            ShowFunctionKey(key, MessageFor::Menu);
            m_clear = 1;
            if (m_wait == Wait::Message)
                return;
        } else if (key > 0 && key < 0xFF) {
            if (const int hot = menu.hotkeys[static_cast<std::size_t>(key & ~0x20)]) {
                m_keyTimeout = 0;
                m_entry = hot - 1;
            }
        }
        break;
    }
    Settle();
}

void MenuSim::AskPassword(PasswordFor purpose, std::optional<QByteArray> entryPassword)
{
    m_passwordFor = purpose;
    m_entryPassword = std::move(entryPassword);
    m_typed.clear();
    const int width = Param(MenuParam::Width);
    const int margin = Param(MenuParam::PasswordMargin);
    const int row = Param(MenuParam::PasswordRow) + Param(MenuParam::VShift);
    const auto fill = [&](char c) { return QByteArray(std::max(0, width - 2 * margin - 2), c); };
    const QByteArray& prompt = Current().Message(MenuMessage::PassPrompt);
    // The header's column is reckoned in unsigned arithmetic, as the module does.
    const auto header = static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(width) - (static_cast<std::uint32_t>(prompt.size()) + 2)) / 2);
    Print(MoveTo(row, margin + 1) + "\2#11\016l" + fill('q') + 'k' + MoveTo(row + 1, margin + 1) + 'x' + fill(' ') + 'x'
        + MoveTo(row + 2, margin + 1) + 'm' + fill('q') + "j\017" + MoveTo(row, header) + "\2#12 " + prompt + ' '
        + MoveTo(row + 1, margin + 3) + "\2#13");
    Await(Wait::Password, 0);
}

void MenuSim::PasswordKey(int key)
{
    switch (key) {
    case KeyEnter:
    case Control('J'): break;
    case KeyEscape:
    case Control('C'): m_typed.clear(); break;
    case KeyBackspace:
    case KeyDel:
    case KeyDelete:
        if (!m_typed.isEmpty()) {
            Print("\b \b");
            m_typed.chop(1);
        }
        return;
    case Control('U'):
        while (!m_typed.isEmpty()) {
            Print("\b \b");
            m_typed.chop(1);
        }
        return;
    default:
        if (key >= ' ' && key <= 0xFF
            && m_typed.size() < Param(MenuParam::Width) - 2 * Param(MenuParam::PasswordMargin) - 5) {
            m_typed += static_cast<char>(key);
            Print("*");
        }
        return;
    }
    const Menu& menu = Current();
    bool accepted = false;
    for (const std::optional<QByteArray>& password : { menu.masterPassword, m_entryPassword }) {
        if (!password || m_typed.isEmpty())
            continue;
        if (Hashed(*password))
            m_note = QStringLiteral(
                "A hashed password ($n$...) cannot be checked here; write it in plain text to try it.");
        accepted = accepted || *password == m_typed;
    }
    m_typed.clear();
    PasswordDone(accepted);
}

void MenuSim::PasswordDone(bool accepted)
{
    const MenuEntry* entry = EntryAt(m_entry);
    switch (m_passwordFor) {
    case PasswordFor::Tab:
        ClearScreen();
        DrawMenu(-1, m_top, false);
        if (accepted)
            return StartEdit(CommandOf(entry).value_or(QByteArray()));
        DrawRow(m_entry - m_top + 4 + Param(MenuParam::VShift), m_entry, m_top, 0, 0);
        return Settle();
    case PasswordFor::Escape:
        if (accepted)
            return Finish(std::nullopt);
        return Settle();
    case PasswordFor::Entry: break;
    }
    m_passwordFor = PasswordFor::Entry;
    // No entry (an empty submenu's) does nothing, as an unknown action does.
    if (!accepted || !entry)
        return Settle();
    const bool leads = entry->submenu >= 0 && entry->submenu < static_cast<int>(m_config.menus.size());
    switch (entry->action) {
    case MenuAction::Command: return Finish(entry->commandLine);
    case MenuAction::Submenu:
    case MenuAction::Goto:
    case MenuAction::Exit:
        if (!leads)
            return Settle();
        m_clear = 2;
        m_menu = entry->submenu;
        m_entry = m_current[static_cast<std::size_t>(m_menu)];
        m_top = m_tops[static_cast<std::size_t>(m_menu)];
        return Settle();
    case MenuAction::Quit:
        m_clear = 1;
        DrawRow(m_entry - m_top + 4 + Param(MenuParam::VShift), -1, m_top, 0, 0);
        return Finish(std::nullopt);
    case MenuAction::Help:
        m_clear = 1;
        m_messageFor = MessageFor::Menu;
        if (ShowMessageFile(entry->commandLine, entry->helpBackground))
            return;
        return Settle();
    default: return Settle();
    }
}

void MenuSim::StartEdit(const QByteArray& command)
{
    m_line = command.left(LineLimit - 1);
    m_cursor = static_cast<int>(m_line.size());
    m_prevLength = 0;
    DrawEditLine();
}

void MenuSim::DrawEditLine()
{
    const int row = Param(MenuParam::CmdLineRow) + Param(MenuParam::VShift);
    const int length = static_cast<int>(m_line.size());
    Print("\033[?25l" + MoveTo(row, 1) + "\1#9> \2#10"
        + Pad(m_line, false, std::max(length, m_prevLength)).value_or("(null)"));
    Print("\2#10" + MoveTo(row, 3) + Pad(m_line, false, m_cursor).value_or("(null)") + "\033[?25h");
    m_prevLength = length;
    Await(Wait::Edit, 0);
}

void MenuSim::EditKey(int key)
{
    const int length = static_cast<int>(m_line.size());
    bool redraw = false;
    switch (key) {
    case Control('L'):
        ClearScreen();
        DrawMenu(-1, m_top, true);
        m_prevLength = 0;
        redraw = true;
        break;
    case KeyEnter:
    case Control('J'): return Finish(m_line);
    case KeyEscape:
    case Control('C'): m_clear = 1; return Settle();
    case KeyBackspace:
    case KeyDel:
        if (m_cursor > 0) {
            m_line.remove(--m_cursor, 1);
            redraw = true;
        }
        break;
    case Control('D'):
    case KeyDelete:
        if (m_cursor < length) {
            m_line.remove(m_cursor, 1);
            redraw = true;
        }
        break;
    case Control('U'):
        if (length > 0) {
            m_line.clear();
            m_cursor = 0;
            redraw = true;
        }
        break;
    case Control('W'):
        if (m_cursor > 0) {
            int start = m_cursor;
            while (start > 0 && ConfigSyntax::IsBlank(m_line[start - 1]))
                --start;
            while (start > 0 && !ConfigSyntax::IsBlank(m_line[start - 1]))
                --start;
            m_line.remove(start, m_cursor - start);
            m_cursor = start;
            redraw = true;
        }
        break;
    case KeyLeft:
    case Control('B'):
        if (m_cursor > 0) {
            --m_cursor;
            redraw = true;
        }
        break;
    case KeyRight:
    case Control('F'):
        if (m_cursor < length)
            Print(QByteArray(1, m_line[m_cursor++]));
        break;
    case Control('K'):
        if (m_cursor < length) {
            m_line.truncate(m_cursor);
            redraw = true;
        }
        break;
    case KeyHome:
    case Control('A'):
        if (m_cursor > 0) {
            m_cursor = 0;
            redraw = true;
        }
        break;
    case KeyEnd:
    case Control('E'):
        if (m_cursor != length) {
            m_cursor = length;
            redraw = true;
        }
        break;
    default:
        if (key >= KeyF1 && key <= KeyF12) {
            if (ShowFunctionKey(key, MessageFor::Edit))
                return;
            redraw = true;
        } else if (key >= ' ' && key <= 0xFF && length < LineLimit - 1) {
            if (m_cursor == length) {
                m_line += static_cast<char>(key);
                ++m_cursor;
                Print(QByteArray(1, static_cast<char>(key)));
                ++m_prevLength;
            } else {
                m_line.insert(m_cursor++, static_cast<char>(key));
                redraw = true;
            }
        }
    }
    if (redraw)
        DrawEditLine();
}
