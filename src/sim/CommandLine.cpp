#include "CommandLine.h"

#include "LoaderKeys.h"
#include "config/BootConfig.h"
#include "config/ConfigSyntax.h"

namespace {

constexpr char Prompt[] = "boot:";
constexpr int PromptLength = sizeof Prompt - 1;
constexpr int LineLimit = 4096; // MAX_CMDLINE_LEN, its terminator included

QByteArray Number(int value) { return QByteArray::number(value); }

}

CommandLine::CommandLine(Output output, int width)
    : m_output(std::move(output))
    , m_width(width)
{
}

void CommandLine::Forget()
{
    m_buffer.clear();
    m_history.clear();
}

void CommandLine::Begin()
{
    Print(QByteArray(Prompt) + ' ');
    m_length = m_cursor = m_shown = 0;
    m_x = m_y = 0;
    m_recalled = -1;
}

void CommandLine::Redraw()
{
    m_shown = std::max(m_length, m_shown);
    QByteArray out = QByteArray("\033[?25l\033[1G") + Prompt + ' ';
    m_x = PromptLength;
    m_y = 0;
    for (int at = 0; at < m_shown; ++at) {
        out += at >= m_length ? ' ' : m_buffer[at];
        if (++m_x >= m_width) {
            out += "\r\n";
            m_x = 0;
            ++m_y;
        }
    }
    out += "\033[K\r";
    // Reckoned with one column more than the prompt has; a negative step
    // up is no sequence, and its digits print.
    const int dy = m_y - (m_cursor + PromptLength + 1) / m_width;
    m_x = (m_cursor + PromptLength + 1) % m_width;
    if (dy != 0) {
        out += "\033[" + Number(dy) + 'A';
        m_y -= dy;
    }
    if (m_x != 0)
        out += "\033[" + Number(m_x) + 'C';
    Print(out + "\033[?25h");
    m_shown = m_length;
}

void CommandLine::ClearScreen()
{
    Print("\033e\033%@\033)0\033(B\1#0\033[?25l\033[2J");
    m_shown = 0;
    Print("\033[2J\033[H");
    Redraw();
}

// A character printed where the cursor is; the editor's count wraps it.
void CommandLine::Echo(char byte, const char* wrap)
{
    QByteArray out(1, byte);
    if (++m_x >= m_width) {
        out += wrap;
        ++m_y;
        m_x = 0;
    }
    Print(out);
}

void CommandLine::Edited()
{
    m_length = static_cast<int>(m_buffer.size());
    Redraw();
}

void CommandLine::Recall(bool older)
{
    if (m_history.empty())
        return;
    const int count = static_cast<int>(m_history.size());
    // One step past either end is the line as it stands, then the other end.
    if (older)
        m_recalled = m_recalled + 1 > count ? 0 : m_recalled + 1;
    else
        m_recalled = m_recalled < 0 ? count - 1 : m_recalled - 1;
    if (m_recalled >= 0 && m_recalled < count)
        m_buffer = m_history[static_cast<std::size_t>(count - 1 - m_recalled)];
    m_cursor = static_cast<int>(m_buffer.size());
    Edited();
}

bool CommandLine::Press(int key)
{
    switch (key) {
    case '\b':
    case 0x7F:
        if (m_cursor > 0) {
            m_buffer.remove(--m_cursor, 1);
            Edited();
        }
        return true;
    case Control('D'):
    case LoaderKey::Delete:
        if (m_cursor < m_length) {
            m_buffer.remove(m_cursor, 1);
            Edited();
        }
        return true;
    case Control('U'):
        if (m_length > 0) {
            m_buffer.clear();
            m_cursor = 0;
            Edited();
        }
        return true;
    case Control('W'):
        if (m_cursor > 0) {
            int start = m_cursor;
            while (start > 0 && ConfigSyntax::IsBlank(m_buffer[start - 1]))
                --start;
            while (start > 0 && !ConfigSyntax::IsBlank(m_buffer[start - 1]))
                --start;
            m_buffer.remove(start, m_cursor - start);
            m_cursor = start;
            Edited();
        }
        return true;
    case LoaderKey::Left:
    case Control('B'):
        if (m_cursor > 0) {
            --m_cursor;
            Redraw();
        }
        return true;
    case LoaderKey::Right:
    case Control('F'):
        // Moves on by printing the character under the cursor again.
        if (m_cursor < m_length)
            Echo(m_buffer[m_cursor++], "\r\n");
        return true;
    case Control('K'):
        if (m_cursor < m_length) {
            m_buffer.truncate(m_cursor);
            Edited();
        }
        return true;
    case LoaderKey::Home:
    case Control('A'):
        if (m_cursor > 0) {
            m_cursor = 0;
            Redraw();
        }
        return true;
    case LoaderKey::End:
    case Control('E'):
        if (m_cursor != m_length) {
            m_cursor = m_length;
            Redraw();
        }
        return true;
    case LoaderKey::Up:
    case Control('P'): Recall(true); return true;
    case LoaderKey::Down:
    case Control('N'): Recall(false); return true;
    default: break;
    }
    if (key < ' ' || key > 0xFF)
        return false;
    if (m_length >= LineLimit - 1)
        return true;
    if (m_cursor == m_length) {
        // Typing over an unseen old line ends it here.
        m_buffer.truncate(m_length);
        m_buffer += static_cast<char>(key);
        ++m_length;
        ++m_cursor;
        ++m_shown;
        Echo(static_cast<char>(key), "\r\n\033[K");
    } else {
        m_buffer.insert(m_cursor++, static_cast<char>(key));
        Edited();
    }
    return true;
}

QByteArray CommandLine::Enter()
{
    Print("\033[?7h");
    if (!m_buffer.isEmpty())
        m_history.push_back(m_buffer);
    return m_buffer;
}

QByteArray CommandLine::Word() const { return CommandWord(m_buffer); }
