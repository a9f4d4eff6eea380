#include "LineEditor.h"

#include "KeyCodes.h"
#include "config/ConfigSyntax.h"

using namespace KeyCodes;

void LineEditor::Set(const QByteArray& line)
{
    m_buffer = line.left(BufferSize - 1);
    m_length = m_cursor = static_cast<int>(m_buffer.size());
}

LineEditor::Result LineEditor::Press(int key)
{
    if (const std::optional<Result> removed = Remove(key))
        return *removed;
    if (const std::optional<Result> moved = Move(key))
        return *moved;
    if (key < ' ' || key > 0xFF)
        return { Effect::Ignored, 0 };
    if (m_length >= BufferSize - 1)
        return { Effect::Nothing, 0 };
    const char byte = static_cast<char>(key);
    if (m_cursor < m_length) {
        m_buffer.insert(m_cursor++, byte);
        ++m_length;
        return Edited();
    }
    // Typing over a line kept unseen in the buffer ends it here.
    m_buffer.truncate(m_length);
    m_buffer += byte;
    ++m_length;
    ++m_cursor;
    return { Effect::Typed, byte };
}

// Backspace, Delete, Ctrl-U (the line), Ctrl-W (the word before the
// cursor, blanks and all) and Ctrl-K (the rest of the line).
std::optional<LineEditor::Result> LineEditor::Remove(int key)
{
    int from = m_cursor;
    int to = m_cursor;
    switch (key) {
    case KeyBackspace:
    case KeyDel: from = m_cursor - 1; break;
    case Control('D'):
    case KeyDelete: to = m_cursor < m_length ? m_cursor + 1 : m_cursor; break;
    case Control('U'):
        from = 0;
        to = m_length;
        break;
    case Control('W'):
        while (from > 0 && ConfigSyntax::IsBlank(m_buffer[from - 1]))
            --from;
        while (from > 0 && !ConfigSyntax::IsBlank(m_buffer[from - 1]))
            --from;
        break;
    case Control('K'): to = m_length; break;
    default: return std::nullopt;
    }
    if (from < 0 || from >= to)
        return Result { Effect::Nothing, 0 };
    m_buffer.remove(from, to - from);
    m_length -= to - from;
    m_cursor = from;
    return Edited();
}

// Left, Right (which prints the character it steps over), Home and End.
std::optional<LineEditor::Result> LineEditor::Move(int key)
{
    int to = m_cursor;
    switch (key) {
    case KeyLeft:
    case Control('B'): to = std::max(0, m_cursor - 1); break;
    case KeyRight:
    case Control('F'):
        if (m_cursor >= m_length)
            return Result { Effect::Nothing, 0 };
        return Result { Effect::Echo, m_buffer[m_cursor++] };
    case KeyHome:
    case Control('A'): to = 0; break;
    case KeyEnd:
    case Control('E'): to = m_length; break;
    default: return std::nullopt;
    }
    if (to == m_cursor)
        return Result { Effect::Nothing, 0 };
    m_cursor = to;
    return Edited();
}
