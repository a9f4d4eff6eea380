#include "MenuDrawing.h"

#include "VersionRules.h"

#include "MenuDetail.h"
#include "console/ColorConsole.h"

using namespace MenuDetail;

MenuDrawing::MenuDrawing(TColorConsole& console, std::function<void()> noRoom, LoaderVersion version)
    : m_console(console)
    , m_noRoom(std::move(noRoom))
    , m_version(std::move(version))
    , m_layout({}, console.Cols(), console.Rows())
{
}

void MenuDrawing::Show(const Menu& menu)
{
    m_menu = &menu;
    m_layout = menu.Layout(m_console.Columns(), m_console.Rows());
}

void MenuDrawing::UseColours()
{
    std::vector<QByteArray> table;
    for (const MenuColour& colour : m_menu->colours.Table())
        table.push_back(colour.ansi);
    m_console.SetColourTable(std::move(table));
}

void MenuDrawing::ClearScreen() { Print("\033e\033%@\033)0\033(B\1#0\033[?25l\033[2J"); }

// pad_line: text cut or padded to a width, centred or not; nothing when
// the module's buffer (MAX_CMDLINE_LEN) cannot hold it.
std::optional<QByteArray> MenuDrawing::Pad(const QByteArray& text, bool centre, int width)
{
    if (width >= LineEditor::BufferSize)
        return std::nullopt;
    if (width < 0) {
        m_noRoom();
        return QByteArray();
    }
    const int length = std::min(static_cast<int>(text.size()), width);
    QByteArray line(width, ' ');
    line.replace(centre ? (width - length) >> 1 : 0, length, text.left(length));
    return line;
}

// display_entry: the name with its hotkey in the hot colour, padded, and a
// submenu's or an exit's marker.
void MenuDrawing::EntryText(const MenuEntry& entry, const QByteArray& colour, const QByteArray& hotColour, int width)
{
    const char marker = entry.action == MenuAction::Submenu ? '>' : entry.action == MenuAction::Exit ? '<' : 0;
    if (marker)
        width -= 2;
    if (width < 0)
        return m_noRoom();
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

void MenuDrawing::Row(int row, int selected, int top, std::optional<std::pair<int, int>> bar)
{
    const int count = static_cast<int>(m_menu->entries.size());
    const int index = m_layout.EntryOf(row, top);
    const bool disabled = index >= 0 && index < count && m_menu->Disabled(index);
    const QByteArray colour = index == selected ? "\1#5" : disabled ? "\2#17" : "\1#3";
    const QByteArray hotColour = index == selected ? "\1#6" : disabled ? "\2#17" : "\1#4";
    const int inner = m_layout.Inner();
    Print(MoveTo(row, m_layout.BoxLeft()) + "\1#1\016x\017" + colour + ' ');
    if (index >= count || index < 0)
        Print(Pad({}, false, inner).value_or(QByteArray()));
    else
        EntryText(m_menu->entries[static_cast<std::size_t>(index)], colour, hotColour, inner);
    if (count <= m_layout.Rows())
        Print(" \1#1\016x\017");
    else if (bar)
        Print(row >= bar->first && row <= bar->second ? " \1#7\016a\017" : " \1#1\016x\017");
    else
        Print(" "); // the scroll bar column stays as it is
}

void MenuDrawing::Box(int selected, int top, bool editLine)
{
    const Menu& menu = *m_menu;
    std::optional<std::pair<int, int>> bar = m_layout.ScrollBar(static_cast<int>(menu.entries.size()), top);
    if (bar && !VersionRules::ScrollBarShifts(m_version))
        bar = std::pair(bar->first - m_layout.VShift(), bar->second - m_layout.VShift());
    const QByteArray border(m_layout.BorderLength(), 'q');
    const int left = m_layout.BoxLeft();
    Print(MoveTo(m_layout.BoxTop(), left) + "\1#1\016l" + border + 'k');
    const std::optional<QByteArray> title = Pad(menu.title, true, m_layout.Inner());
    Print(MoveTo(m_layout.BoxTop() + 1, left) + "\1#1x\017\1#2 " + title.value_or("(null)") + " \1#1\016x");
    Print(MoveTo(m_layout.BoxTop() + 2, left) + "\1#1t" + border + "u\017");
    for (int row = m_layout.FirstRow(); row < m_layout.BoxBottom(); ++row)
        Row(row, selected, top, bar);
    Print(MoveTo(m_layout.BoxBottom(), left) + "\1#1\016m" + border + "j\017");
    const QByteArray& message = editLine && menu.allowEdit && !menu.masterPassword ? menu.Message(MenuMessage::Tab)
                                                                                   : menu.Message(MenuMessage::NoTab);
    Print("\1#8" + MoveTo(m_layout.TabMsgRow(), m_layout.Centred(static_cast<int>(message.size()))) + message);
    Print("\1#0" + MoveTo(m_layout.EndRow(), 1));
}

void MenuDrawing::Help(const QByteArray* text)
{
    const int first = m_layout.HelpFirstRow();
    const int last = m_layout.HelpLastRow();
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

void MenuDrawing::Timeout(int seconds, int row, const QByteArray& message)
{
    QByteArray text;
    int length = 0;
    for (qsizetype at = 0; at < message.size() && text.size() < 256 - 16;) {
        const char c = message[at++];
        if (c == '#') {
            const QByteArray digits = QByteArray::number(seconds);
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
    if (!VersionRules::CountdownPadsToLastMessage(m_version))
        return Print(
            MoveTo(row, m_layout.HShift() + 1 + ((m_layout.Width() - length - 8) >> 1)) + "\2#14    " + text + "    ");
    const int pad = length >= m_lastTimeoutLength ? 0 : (m_lastTimeoutLength - length + 1) >> 1;
    Print(MoveTo(row, m_layout.Centred(length) - pad) + "\2#14" + QByteArray(pad, ' ') + text + QByteArray(pad, ' '));
    m_lastTimeoutLength = length;
}

void MenuDrawing::EraseRow(int row) { Print(MoveTo(row, 1) + "\1#0\033[K"); }

void MenuDrawing::PasswordBox()
{
    const int left = m_layout.PasswordLeft();
    const int row = m_layout.PasswordRow();
    const auto fill = [&](char c) { return QByteArray(m_layout.PasswordFill(), c); };
    const QByteArray& prompt = m_menu->Message(MenuMessage::PassPrompt);
    Print(MoveTo(row, left) + "\2#11\016l" + fill('q') + 'k' + MoveTo(row + 1, left) + 'x' + fill(' ') + 'x'
        + MoveTo(row + 2, left) + 'm' + fill('q') + "j\017" + MoveTo(row, m_layout.PasswordHeader(prompt.size()))
        + "\2#12 " + prompt + ' ' + MoveTo(row + 1, left + 2) + "\2#13");
}

void MenuDrawing::EditLine(const LineEditor& line, int& shown)
{
    const int row = m_layout.CmdLineRow();
    const QByteArray text = line.Line();
    Print("\033[?25l" + MoveTo(row, 1) + "\1#9> \2#10"
        + Pad(text, false, std::max(line.Length(), shown)).value_or("(null)"));
    Print("\2#10" + MoveTo(row, 3) + Pad(text, false, line.Cursor()).value_or("(null)") + "\033[?25h");
    shown = line.Length();
}
