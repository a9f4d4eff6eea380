#include "CommandLine.h"

#include "KeyCodes.h"
#include "VersionRules.h"
#include "config/BootConfig.h"

using namespace KeyCodes;

namespace {

constexpr char Prompt[] = "boot:";
constexpr int PromptLength = sizeof Prompt - 1;

QByteArray Number(int value) { return QByteArray::number(value); }

}

CommandLine::CommandLine(Output output, int width, const LoaderVersion& version)
    : m_output(std::move(output))
    , m_width(width)
    , m_keepsLine(VersionRules::PromptKeepsLastLine(version))
    , m_core(VersionRules::AssemblyPrompt(version))
{
}

void CommandLine::Forget()
{
    m_line.Clear();
    m_history.clear();
}

void CommandLine::Begin()
{
    Print(QByteArray(Prompt) + ' ');
    if (m_keepsLine)
        m_line.Begin();
    else
        m_line.Clear();
    m_shown = 0;
    m_x = m_y = 0;
    m_recalled = -1;
}

void CommandLine::Redraw()
{
    if (m_core)
        return Print(QByteArray(Prompt) + ' ' + m_line.Line());
    const int length = m_line.Length();
    const int cursor = m_line.Cursor();
    m_shown = std::max(length, m_shown);
    QByteArray out = QByteArray("\033[?25l\033[1G") + Prompt + ' ';
    m_x = PromptLength;
    m_y = 0;
    for (int at = 0; at < m_shown; ++at) {
        out += at >= length ? ' ' : m_line.Buffer()[at];
        if (++m_x >= m_width) {
            out += "\r\n";
            m_x = 0;
            ++m_y;
        }
    }
    out += "\033[K\r";
    // Reckoned with one column more than the prompt has; a negative step
    // up is no sequence, and its digits print.
    const int dy = m_y - (cursor + PromptLength + 1) / m_width;
    m_x = (cursor + PromptLength + 1) % m_width;
    if (dy != 0) {
        out += "\033[" + Number(dy) + 'A';
        m_y -= dy;
    }
    if (m_x != 0)
        out += "\033[" + Number(m_x) + 'C';
    Print(out + "\033[?25h");
    m_shown = length;
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
    m_line.Set(m_recalled >= 0 && m_recalled < count ? m_history[static_cast<std::size_t>(count - 1 - m_recalled)]
                                                     : m_line.Buffer());
    Redraw();
}

void CommandLine::Kill()
{
    Print("\n");
    Begin();
}

// ui.inc get_char: bytes from the space on are kept (a space not first),
// up to max_cmd_len; DEL and Backspace wipe the last one.
bool CommandLine::CorePress(int key)
{
    const QByteArray line = m_line.Line();
    if (key == 0x7F || key == KeyBackspace) {
        if (!line.isEmpty()) {
            m_line.Set(line.chopped(1));
            Print("\b \b");
        }
        return true;
    }
    if (key < ' ' || key > 0xFF || (key == ' ' && line.isEmpty()))
        return key >= ' ' && key <= 0xFF;
    if (line.size() < 2047) {
        m_line.Set(line + static_cast<char>(key));
        Print(QByteArray(1, static_cast<char>(key)));
    }
    return true;
}

bool CommandLine::Press(int key)
{
    if (m_core)
        return CorePress(key);
    switch (key) {
    case KeyUp:
    case Control('P'): Recall(true); return true;
    case KeyDown:
    case Control('N'): Recall(false); return true;
    default: break;
    }
    const LineEditor::Result result = m_line.Press(key);
    switch (result.effect) {
    case LineEditor::Effect::Ignored: return false;
    case LineEditor::Effect::Nothing: break;
    case LineEditor::Effect::Redraw: Redraw(); break;
    // Moves on by printing the character under the cursor again.
    case LineEditor::Effect::Echo: Echo(result.byte, "\r\n"); break;
    case LineEditor::Effect::Typed:
        ++m_shown;
        Echo(result.byte, "\r\n\033[K");
        break;
    }
    return true;
}

QByteArray CommandLine::Enter()
{
    if (!m_core)
        Print("\033[?7h");
    if (!m_line.Buffer().isEmpty())
        m_history.push_back(m_line.Buffer());
    return m_line.Buffer();
}

// The assembly core matches the labels against the whole line.
QByteArray CommandLine::Word() const { return m_core ? m_line.Line() : CommandWord(m_line.Buffer()); }
