// menu.c32's keys: the menu's own, the password box and the command-line
// editor.
#include "MenuSim.h"

#include "KeyCodes.h"
#include "config/MenuPasswords.h"

using namespace KeyCodes;

void MenuSim::MenuKey(int key)
{
    const Menu& menu = Current();
    const MenuEntry* entry = EntryAt(m_entry);
    if (key != KeyNone) {
        m_timeoutLeft = m_keyTimeout;
        if (m_toClear)
            Draw().EraseRow(Layout().TimeoutRow());
    }
    if (key == KeyNone) {
        if (m_keyTimeout) {
            if (m_timeoutLeft <= m_waitMs)
                return TimedOut();
            m_timeoutLeft -= m_waitMs;
        }
    } else if (key == Control('L')) {
        m_clear = 1;
    } else if (key == KeyEnter || key == Control('J')) {
        m_keyTimeout = 0;
        m_passwordFor = PasswordFor::Entry;
        if (entry && entry->password) {
            m_clear = 1;
            return AskPassword(PasswordFor::Entry, entry->password);
        }
        return PasswordDone(true);
    } else if (LeaveKey(key) || MoveKey(key)) {
        if (m_wait != Wait::Menu || m_outcome != Outcome::Running)
            return; // another wait took over
    } else if (key >= KeyF1 && key <= KeyF12) {
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
    Settle();
}

// The keys that move the selection; true for one of them.
bool MenuSim::MoveKey(int key)
{
    const Menu& menu = Current();
    const int count = static_cast<int>(menu.entries.size());
    const int rows = Layout().Rows();
    // One entry on, the list paging when the selection leaves it; a step
    // of the list's own moves it with the selection.
    const auto step = [&](int by, bool scroll) {
        while (by < 0 ? m_entry > 0 : m_entry < count - 1) {
            m_entry += by;
            if (scroll)
                m_top += by;
            else if (by < 0 ? m_entry < m_top : m_entry >= m_top + rows)
                m_top += by * rows;
            if (!menu.Disabled(m_entry))
                break;
        }
    };
    // A page on, then off disabled entries.
    const auto page = [&](int by) {
        m_entry += by * rows;
        m_top += by * rows;
        while (by < 0 ? m_entry > 0 && menu.Disabled(m_entry) : m_entry < count - 1 && menu.Disabled(m_entry)) {
            m_entry += by;
            if (by < 0 ? m_entry < m_top : m_entry >= m_top + rows)
                m_top += by * rows;
        }
    };
    switch (key) {
    case KeyUp:
    case Control('P'): step(-1, false); return true;
    case KeyDown:
    case Control('N'): step(1, false); return true;
    case KeyPageUp:
    case KeyLeft:
    case Control('B'):
    case '<': page(-1); return true;
    case KeyPageDown:
    case KeyRight:
    case Control('F'):
    case '>':
    case ' ': page(1); return true;
    case '-': step(-1, true); return true;
    case '+': step(1, true); return true;
    case Control('A'):
    case KeyHome: m_top = m_entry = 0; return true;
    case Control('E'):
    case KeyEnd:
        m_entry = count - 1;
        m_top = std::max(0, count - rows);
        return true;
    default: return false;
    }
}

// Tab, to edit the entry's command line, and Esc, to the menu above or
// out to the prompt; true for one of them.
bool MenuSim::LeaveKey(int key)
{
    const Menu& menu = Current();
    const MenuEntry* entry = EntryAt(m_entry);
    if (key == KeyTab) {
        if (menu.allowEdit && entry && entry->action == MenuAction::Command) {
            m_keyTimeout = 0;
            Draw().Entry(m_entry, -1, m_top);
            if (menu.masterPassword) {
                AskPassword(PasswordFor::Tab, std::nullopt);
                return true;
            }
            Draw().EraseRow(Layout().TabMsgRow());
            m_draw.Help(nullptr);
            StartEdit(entry->commandLine);
        }
        return true;
    }
    if (key != Control('C') && key != KeyEscape)
        return false;
    if (menu.parent >= 0) {
        EnterMenu(menu.parent);
    } else if (menu.allowEdit) {
        m_clear = 1;
        m_keyTimeout = 0;
        Draw().Entry(m_entry, -1, m_top);
        if (menu.masterPassword)
            AskPassword(PasswordFor::Escape, std::nullopt);
        else
            Finish(std::nullopt);
    }
    return true;
}

// Another menu, shown with the entry and top it had, its colours anew.
void MenuSim::EnterMenu(int menu)
{
    m_clear = 2;
    m_menu = menu;
    m_entry = m_current[static_cast<std::size_t>(m_menu)];
    m_top = m_tops[static_cast<std::size_t>(m_menu)];
}

void MenuSim::AskPassword(PasswordFor purpose, std::optional<QByteArray> entryPassword)
{
    m_passwordFor = purpose;
    m_entryPassword = std::move(entryPassword);
    m_typed.clear();
    Draw().PasswordBox();
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
        if (key >= ' ' && key <= 0xFF && m_typed.size() < Layout().PasswordRoom()) {
            m_typed += static_cast<char>(key);
            Print("*");
        }
        return;
    }
    const Menu& menu = Current();
    bool accepted = false;
    for (const std::optional<QByteArray>& password : { menu.masterPassword, m_entryPassword }) {
        if (password && !m_typed.isEmpty())
            accepted = accepted || MenuPasswords::Matches(*password, m_typed);
    }
    m_typed.clear();
    PasswordDone(accepted);
}

void MenuSim::PasswordDone(bool accepted)
{
    const MenuEntry* entry = EntryAt(m_entry);
    switch (m_passwordFor) {
    case PasswordFor::Tab:
        Draw().ClearScreen();
        m_draw.Box(-1, m_top, false);
        if (accepted)
            return StartEdit(CommandOf(entry).value_or(QByteArray()));
        m_draw.Entry(m_entry, m_entry, m_top);
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
        if (leads)
            EnterMenu(entry->submenu);
        return Settle();
    case MenuAction::Quit:
        m_clear = 1;
        Draw().Entry(m_entry, -1, m_top);
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

// edit_cmdline: the entry's line in the editor both loaders share.
void MenuSim::StartEdit(const QByteArray& command)
{
    m_edit.Set(command);
    m_prevLength = 0;
    DrawEditLine();
}

void MenuSim::DrawEditLine()
{
    Draw().EditLine(m_edit, m_prevLength);
    Await(Wait::Edit, 0);
}

void MenuSim::EditKey(int key)
{
    switch (key) {
    case Control('L'):
        Draw().ClearScreen();
        m_draw.Box(-1, m_top, true);
        m_prevLength = 0;
        return DrawEditLine();
    case KeyEnter:
    case Control('J'): return Finish(m_edit.Line());
    case KeyEscape:
    case Control('C'): m_clear = 1; return Settle();
    default: break;
    }
    if (key >= KeyF1 && key <= KeyF12) {
        if (!ShowFunctionKey(key, MessageFor::Edit))
            DrawEditLine();
        return;
    }
    const LineEditor::Result result = m_edit.Press(key);
    switch (result.effect) {
    case LineEditor::Effect::Redraw: return DrawEditLine();
    case LineEditor::Effect::Typed: ++m_prevLength; [[fallthrough]];
    case LineEditor::Effect::Echo: return Print(QByteArray(1, result.byte));
    default: return;
    }
}
