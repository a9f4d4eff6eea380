#include "MenuSim.h"

#include "config/ConfigSyntax.h"
#include "console/ColorConsole.h"

namespace {

constexpr int LineLimit = 1024; // the module's command-line buffer
constexpr long long Tick = 1000; // the countdown's step

// Keys as the module's key reader numbers them: bytes, then the others.
enum : int {
    KeyNone = -1,
    KeyTab = 9,
    KeyEnter = 13,
    KeyEscape = 27,
    KeyBackspace = 8,
    KeyDel = 127,
    KeyF1 = 0x100,
    KeyF12 = KeyF1 + 11,
    KeyUp = 0x120,
    KeyDown,
    KeyLeft,
    KeyRight,
    KeyPageUp,
    KeyPageDown,
    KeyHome,
    KeyEnd,
    KeyDelete,
};

int KeyCode(const LoaderInput& input)
{
    using Key = LoaderInput::Key;
    if (input.kind == LoaderInput::Kind::Character)
        return static_cast<unsigned char>(input.character);
    switch (input.key) {
    case Key::Enter: return KeyEnter;
    case Key::Tab: return KeyTab;
    case Key::Escape: return KeyEscape;
    case Key::Backspace: return KeyBackspace;
    case Key::Delete: return KeyDelete;
    case Key::Up: return KeyUp;
    case Key::Down: return KeyDown;
    case Key::Left: return KeyLeft;
    case Key::Right: return KeyRight;
    case Key::PageUp: return KeyPageUp;
    case Key::PageDown: return KeyPageDown;
    case Key::Home: return KeyHome;
    case Key::End: return KeyEnd;
    case Key::None: return KeyNone;
    default:
        if (input.key >= Key::F1 && input.key <= Key::F12)
            return KeyF1 + static_cast<int>(input.key) - static_cast<int>(Key::F1);
        return KeyNone;
    }
}

QByteArray Number(long long value) { return QByteArray::number(value); }
QByteArray MoveTo(int row, int column) { return "\033[" + Number(row) + ';' + Number(column) + 'H'; }

// The SGR strings of the message colours 00-ff that F-key screens use:
// bright foregrounds by SGR 1, backgrounds without their bright bit.
QByteArray MessageColour(int attribute)
{
    static constexpr std::array<int, 8> VgaToAnsi = { 0, 4, 2, 6, 1, 5, 3, 7 };
    return QByteArray(attribute & 8 ? "1;" : "") + '3' + Number(VgaToAnsi[attribute & 7]) + ";4"
        + Number(VgaToAnsi[attribute >> 4 & 7]);
}

// The module's hex digit value, which only checks for 0-9.
unsigned HexValue(unsigned char byte)
{
    const unsigned lower = static_cast<unsigned char>(byte | 0x20);
    const unsigned value = lower - '0';
    return value < 10 ? value : lower - 'a' + 10;
}

// Passwords written as crypt hashes start with $n$.
bool Hashed(const QByteArray& password) { return password.size() > 3 && password[0] == '$' && password[2] == '$'; }

}

MenuSim::MenuSim(TColorConsole& console, const BootFiles& files, QByteArray folder, MenuConfig config)
    : m_console(console)
    , m_files(files)
    , m_folder(std::move(folder))
    , m_config(std::move(config))
{
    for (const Menu& menu : m_config.menus)
        m_current.push_back(menu.defaultEntry);
    m_tops.assign(m_config.menus.size(), 0);
    m_totalLeft = m_totalAtWait = m_config.totalTimeoutMs;
    m_hidden = m_config.hidden;
    m_menu = m_config.start;
}

int MenuSim::Param(MenuParam param) const
{
    return ScreenParams(Current(), m_console.Columns(), m_console.Rows())[static_cast<std::size_t>(param)];
}

void MenuSim::Start()
{
    if (Current().entries.empty()) {
        Print("Initial menu has no LABEL entries!\n");
        m_outcome = Outcome::Exit;
        return;
    }
    RunMenu();
}

void MenuSim::Resume()
{
    m_outcome = Outcome::Running;
    m_command.clear();
    RunMenu();
}

// prepare_screen_for_menu: the menu's colour table and its background.
void MenuSim::UseColours()
{
    m_background = Current().background.isEmpty() ? std::nullopt : std::optional(Current().background);
    std::vector<QByteArray> table;
    for (const MenuColour& colour : Current().colours)
        table.push_back(colour.ansi);
    for (int attribute = 0; attribute < 256; ++attribute)
        table.push_back(MessageColour(attribute));
    m_console.SetColourTable(std::move(table));
}

// A width below zero: the real module overruns its buffers or loops.
void MenuSim::NoRoom()
{
    m_note = QStringLiteral("The menu's box has no room (MENU WIDTH less than twice MENU MARGIN plus 4): the "
                            "real menu.c32 overruns its buffers or never finishes drawing.");
}

void MenuSim::ClearScreen() { Print("\033e\033%@\033)0\033(B\1#0\033[?25l\033[2J"); }

// Text cut or padded to a width, centred or not; nothing when the module's
// buffer cannot hold it.
std::optional<QByteArray> MenuSim::Pad(const QByteArray& text, bool centre, int width)
{
    if (width >= LineLimit)
        return std::nullopt;
    if (width < 0) {
        NoRoom();
        return QByteArray();
    }
    const int length = std::min(static_cast<int>(text.size()), width);
    QByteArray line(width, ' ');
    line.replace(centre ? (width - length) >> 1 : 0, length, text.left(length));
    return line;
}

void MenuSim::DrawEntry(const MenuEntry& entry, const QByteArray& colour, const QByteArray& hotColour, int width)
{
    const char marker = entry.action == MenuAction::Submenu ? '>' : entry.action == MenuAction::Exit ? '<' : 0;
    if (marker)
        width -= 2;
    if (width < 0)
        return NoRoom();
    QByteArray out;
    const QByteArray& name = entry.displayName;
    qsizetype at = 0;
    while (width > 0) {
        if (at >= name.size()) {
            out += ' ';
            --width;
        } else if (name[at] == '^') {
            ++at;
            if (at < name.size() && (static_cast<unsigned char>(name[at]) & ~0x20) == entry.hotkey) {
                out += hotColour + name[at++] + colour;
                --width;
            }
        } else {
            out += name[at++];
            --width;
        }
    }
    if (marker)
        out += QByteArray(" ") + marker;
    Print(out);
}

void MenuSim::DrawRow(int row, int selected, int top, int barTop, int barBottom)
{
    const Menu& menu = Current();
    const int count = static_cast<int>(menu.entries.size());
    const int index = row - 4 - Param(MenuParam::VShift) + top;
    const bool disabled = index >= 0 && index < count && menu.Disabled(index);
    const QByteArray colour = index == selected ? "\1#5" : disabled ? "\2#17" : "\1#3";
    const QByteArray hotColour = index == selected ? "\1#6" : disabled ? "\2#17" : "\1#4";
    const int inner = Param(MenuParam::Width) - 2 * Param(MenuParam::Margin) - 4;
    Print(MoveTo(row, Param(MenuParam::Margin) + 1 + Param(MenuParam::HShift)) + "\1#1\016x\017" + colour + ' ');
    if (index >= count || index < 0)
        Print(Pad({}, false, inner).value_or(QByteArray()));
    else
        DrawEntry(menu.entries[static_cast<std::size_t>(index)], colour, hotColour, inner);
    if (count <= Param(MenuParam::Rows))
        Print(" \1#1\016x\017");
    else if (barTop > 0)
        Print(row >= barTop && row <= barBottom ? " \1#7\016a\017" : " \1#1\016x\017");
    else
        Print(" "); // the scroll bar column stays as it is
}

void MenuSim::DrawMenu(int selected, int top, bool editLine)
{
    const Menu& menu = Current();
    const int count = static_cast<int>(menu.entries.size());
    const int rows = Param(MenuParam::Rows);
    const int width = Param(MenuParam::Width);
    const int margin = Param(MenuParam::Margin);
    const int hshift = Param(MenuParam::HShift);
    const int vshift = Param(MenuParam::VShift);
    int barTop = 0;
    int barBottom = 0;
    if (count > rows) {
        const int length = std::max(rows * rows / count, 1);
        // Its rows count from the menu's shifted top, as the loader draws them.
        barTop = (rows - length + 1) * top / (count - rows + 1) + 4 + vshift;
        barBottom = barTop + length - 1;
    }
    const auto border = [&] {
        QByteArray line;
        for (int x = 2 + hshift; x <= width - 2 * margin - 1 + hshift; ++x)
            line += 'q';
        return line;
    };
    Print(MoveTo(vshift + 1, hshift + margin + 1) + "\1#1\016l" + border() + 'k');
    const std::optional<QByteArray> title = Pad(menu.title, true, width - 2 * margin - 4);
    Print(MoveTo(vshift + 2, hshift + margin + 1) + "\1#1x\017\1#2 " + title.value_or("(null)") + " \1#1\016x");
    Print(MoveTo(vshift + 3, hshift + margin + 1) + "\1#1t" + border() + "u\017");
    int row = 4 + vshift;
    for (; row < 4 + vshift + rows; ++row)
        DrawRow(row, selected, top, barTop, barBottom);
    Print(MoveTo(row, hshift + margin + 1) + "\1#1\016m" + border() + "j\017");
    const QByteArray& message = editLine && menu.allowEdit && !menu.masterPassword ? menu.Message(MenuMessage::Tab)
                                                                                   : menu.Message(MenuMessage::NoTab);
    Print("\1#8"
        + MoveTo(Param(MenuParam::TabMsgRow) + vshift, 1 + hshift + ((width - static_cast<int>(message.size())) >> 1))
        + message);
    Print("\1#0" + MoveTo(Param(MenuParam::EndRow), 1));
}

void MenuSim::DisplayHelp(const QByteArray* text)
{
    const int first = Param(MenuParam::HelpMsgRow) + Param(MenuParam::VShift);
    const int last = Param(MenuParam::HelpMsgEndRow);
    Print((text ? "\2#16" : "\1#0") + MoveTo(first, 1));
    int row = first;
    QByteArray out;
    if (text) {
        for (qsizetype at = 0; at < text->size() && row <= last; ++at) {
            const char c = (*text)[at];
            if (c == '\n')
                out += "\033[K" + MoveTo(++row, 1);
            else if (c != '\r' && c != '\f' && c != '\v' && c != '\033')
                out += c;
        }
    }
    out += "\033[K";
    while (row <= last)
        out += "\033[K" + MoveTo(++row, 1);
    Print(out);
}

// "#" is the seconds, {one,two,many} picks by them; the line is centred and
// padded over what the last message left.
void MenuSim::PrintTimeout(int seconds, int row, const QByteArray& message)
{
    QByteArray text;
    int length = 0;
    for (qsizetype at = 0; at < message.size() && text.size() < 256 - 16;) {
        const char c = message[at++];
        if (c == '#') {
            const QByteArray digits = Number(seconds);
            text += "\2#15" + digits + "\2#14";
            length += static_cast<int>(digits.size());
        } else if (c == '{') {
            QByteArrayList forms { {} };
            while (at < message.size() && message[at] != '}') {
                if (message[at] == ',' && forms.size() < 3)
                    forms.append(QByteArray());
                else
                    forms.last() += message[at];
                ++at;
            }
            if (at < message.size())
                ++at;
            while (forms.size() < 3)
                forms.append(forms.last());
            const QByteArray& form = forms[seconds == 1 ? 0 : seconds == 2 ? 1 : 2];
            text += form;
            length += static_cast<int>(form.size());
        } else {
            text += c;
            ++length;
        }
    }
    const int pad = length >= m_lastTimeoutLength ? 0 : (m_lastTimeoutLength - length + 1) >> 1;
    const int column = Param(MenuParam::HShift) + 1 + ((Param(MenuParam::Width) - length) >> 1) - pad;
    Print(MoveTo(row, column) + "\2#14" + QByteArray(pad, ' ') + text + QByteArray(pad, ' '));
    m_lastTimeoutLength = length;
}

// run_menu from its start: the shift key, the hidden menu, then the loop.
void MenuSim::RunMenu()
{
    m_wait = Wait::None;
    m_entry = m_current[static_cast<std::size_t>(m_menu)];
    m_top = m_tops[static_cast<std::size_t>(m_menu)];
    m_prevEntry = m_prevTop = -1;
    m_clear = 1;
    // The countdown's clock_t, which a negative TIMEOUT makes huge.
    m_timeoutLeft = m_keyTimeout = static_cast<std::uint32_t>(Current().timeoutMs);
    if (m_config.shiftKey) {
        // Shift is not held: the default runs at once (and only once here).
        m_config.shiftKey = false;
        m_note = QStringLiteral("MENU SHIFTKEY: the menu shows only while Shift is held; without it the default runs.");
        return Finish(CommandOf(EntryAt(Current().defaultEntry)));
    }
    UseColours();
    if (m_hidden) {
        ClearScreen();
        m_hiddenLeft = Current().timeoutMs;
        return HiddenWait();
    }
    Settle();
}

// The hidden menu counts in a signed int: a negative TIMEOUT shows its
// negative seconds and waits one long step of its clock_t.
void MenuSim::HiddenWait()
{
    if (Current().timeoutMs != 0 && m_hiddenLeft == 0)
        return TimedOut();
    PrintTimeout(
        static_cast<int>(m_hiddenLeft / Tick), Param(MenuParam::HiddenRow), Current().Message(MenuMessage::AutoBoot));
    m_hiddenStep = std::min(m_hiddenLeft, Tick);
    Await(Wait::Hidden, static_cast<std::uint32_t>(m_hiddenStep));
}

void MenuSim::HiddenKey(int key)
{
    if (key == KeyNone) {
        m_hiddenLeft -= m_hiddenStep;
        return HiddenWait();
    }
    PrintTimeout(0, Param(MenuParam::HiddenRow), "");
    // The key only shows the menu; its countdown is over.
    m_hidden = false;
    m_keyTimeout = 0;
    Settle();
}

// The loop's top: the entry kept off disabled ones, the list scrolled to
// it, as much drawn as changed, the countdown shown, then a key awaited.
void MenuSim::Settle()
{
    const Menu& menu = Current();
    const int count = static_cast<int>(menu.entries.size());
    const int rows = Param(MenuParam::Rows);
    if (m_entry <= 0) {
        m_entry = 0;
        while (m_entry < count && menu.Disabled(m_entry))
            ++m_entry;
    }
    if (m_entry >= count - 1) {
        m_entry = count - 1;
        while (m_entry > 0 && menu.Disabled(m_entry))
            --m_entry;
    }
    if (m_top < 0 || m_top < m_entry - rows + 1)
        m_top = std::max(0, m_entry - rows + 1);
    else if (m_top > m_entry || m_top > std::max(0, count - rows))
        m_top = std::min(m_entry, std::max(0, count - rows));
    if (m_clear) {
        if (m_clear >= 2)
            UseColours();
        ClearScreen();
        m_clear = 0;
        m_prevEntry = m_prevTop = -1;
    }
    const MenuEntry* entry = EntryAt(m_entry);
    const QByteArray* help = !entry || entry->helpText.isNull() ? nullptr : &entry->helpText;
    if (m_top != m_prevTop) {
        DrawMenu(m_entry, m_top, true);
        DisplayHelp(help);
    } else if (m_entry != m_prevEntry) {
        DrawRow(m_prevEntry - m_top + 4 + Param(MenuParam::VShift), m_entry, m_top, 0, 0);
        DrawRow(m_entry - m_top + 4 + Param(MenuParam::VShift), m_entry, m_top, 0, 0);
        DisplayHelp(help);
    }
    m_prevEntry = m_entry;
    m_prevTop = m_top;
    m_current[static_cast<std::size_t>(m_menu)] = m_entry;
    m_tops[static_cast<std::size_t>(m_menu)] = m_top;
    if (m_entry != menu.defaultEntry)
        m_keyTimeout = 0;
    m_toClear = m_keyTimeout != 0;
    if (m_toClear)
        PrintTimeout(static_cast<int>(m_timeoutLeft / Tick), Param(MenuParam::TimeoutRow) + Param(MenuParam::VShift),
            menu.Message(MenuMessage::AutoBoot));
    Await(Wait::Menu, std::min({ m_keyTimeout, m_timeoutLeft, Tick }));
}

// The timeout: the default entry (or ONTIMEOUT) shown and run.
void MenuSim::TimedOut()
{
    if (m_wait == Wait::Hidden) {
        PrintTimeout(0, Param(MenuParam::HiddenRow), "");
        const Menu& menu = Current();
        const std::optional<QByteArray> command
            = menu.onTimeout ? menu.onTimeout : CommandOf(EntryAt(menu.defaultEntry));
        if (command && !command->isEmpty())
            return Finish(command);
        m_hidden = false;
        m_keyTimeout = 0;
        return Settle();
    }
    const Menu& menu = Current();
    const int rows = Param(MenuParam::Rows);
    const int count = static_cast<int>(menu.entries.size());
    m_entry = menu.defaultEntry;
    if (m_top < 0 || m_top < m_entry - rows + 1)
        m_top = std::max(0, m_entry - rows + 1);
    else if (m_top > m_entry || m_top > std::max(0, count - rows))
        m_top = std::min(m_entry, std::max(0, count - rows));
    DrawMenu(menu.onTimeout ? -1 : m_entry, m_top, true);
    const std::optional<QByteArray> command = menu.onTimeout ? menu.onTimeout : CommandOf(EntryAt(m_entry));
    Finish(command && !command->isEmpty() ? command : std::nullopt);
}

void MenuSim::Finish(std::optional<QByteArray> command)
{
    m_wait = Wait::None;
    if (m_config.clear)
        ClearScreen();
    Print("\033[?25h" + MoveTo(Param(MenuParam::EndRow), 1) + "\033[0m");
    m_outcome = command ? Outcome::Run : Outcome::Exit;
    m_command = command.value_or(QByteArray());
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

// An F-key's screen, if it has a file that opens; true while it waits.
bool MenuSim::ShowFunctionKey(int key, MessageFor purpose)
{
    const std::optional<FunctionKey>& fkey = Current().functionKeys[static_cast<std::size_t>(key - KeyF1)];
    if (!fkey)
        return false;
    m_messageFor = purpose;
    return ShowMessageFile(fkey->file, fkey->background);
}

// A help screen by the module's own reading: cleared first, SI and two
// hex digits for a colour, CAN skipping its line, SUB ending the file, CR,
// LF and BEL as they are, every other control byte dropped. A picture of
// its own is the background until a key (printmsg.c), even when the file
// does not open.
bool MenuSim::ShowMessageFile(const QByteArray& name, const QByteArray& background)
{
    m_oldBackground.reset();
    if (!background.isEmpty()) {
        m_oldBackground = m_background;
        m_background = background;
    }
    const std::optional<QByteArray> path = BootFiles::Resolve(m_folder, name);
    const std::optional<QByteArray> bytes = path ? m_files.Read(*path) : std::nullopt;
    if (!bytes) {
        RestoreBackground();
        return false;
    }
    constexpr int MessageBase = static_cast<int>(MenuColourCount);
    QByteArray out = "\033e\033%@\033)0\033(B\3#" + QByteArray::number(MessageBase + 7).rightJustified(3, '0')
        + "\033[?25l\033[2J\033[H";
    enum class Read { Plain, First, Second, SkipLine } state = Read::Plain;
    std::uint32_t attribute = 0;
    for (char c : *bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (state == Read::First) {
            attribute = HexValue(byte) << 4;
            state = Read::Second;
        } else if (state == Read::Second) {
            attribute |= HexValue(byte);
            const auto index = static_cast<std::int32_t>(attribute + MessageBase);
            // printf's %03d: at least three characters, the sign counted.
            out += "\3#"
                + (index < 0 ? '-' + QByteArray::number(-static_cast<long long>(index)).rightJustified(2, '0')
                             : QByteArray::number(index).rightJustified(3, '0'));
            state = Read::Plain;
        } else if (state == Read::SkipLine) {
            if (byte == '\n')
                state = Read::Plain;
        } else if (byte == '\f') {
            out += "\033[2J\033[H";
        } else if (byte == 0x0F) {
            state = Read::First;
        } else if (byte == 0x18) {
            state = Read::SkipLine;
        } else if (byte == 0x1A) {
            break;
        } else if (byte >= 32 || byte == '\a' || byte == '\n' || byte == '\r') {
            out += c;
        }
    }
    Print(out);
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
    if (input.kind == LoaderInput::Kind::Sleep) {
        Sleep(input.milliseconds);
        return;
    }
    if (input.kind == LoaderInput::Kind::Timeout) {
        RunOutTimeout();
        return;
    }
    const int key = KeyCode(input);
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

long long MenuSim::Sleep(long long milliseconds)
{
    while (milliseconds > 0 && m_outcome == Outcome::Running && m_wait != Wait::None) {
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
        Sleep(std::max(1LL, next));
        ran = true;
    }
    return ran;
}
