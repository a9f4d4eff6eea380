#include "MenuSim.h"

#include "MenuDetail.h"
#include "config/ConfigSyntax.h"
#include "console/ColorConsole.h"

using namespace MenuDetail;

namespace {

// The SGR strings of the message colours 00-ff that F-key screens use:
// bright foregrounds by SGR 1, backgrounds without their bright bit.
QByteArray MessageColour(int attribute)
{
    static constexpr std::array<int, 8> VgaToAnsi = { 0, 4, 2, 6, 1, 5, 3, 7 };
    return QByteArray(attribute & 8 ? "1;" : "") + '3' + Number(VgaToAnsi[attribute & 7]) + ";4"
        + Number(VgaToAnsi[attribute >> 4 & 7]);
}

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
