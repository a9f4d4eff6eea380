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
    using ConfigSyntax::IsBlank;
    switch (key) {
    case KeyBackspace:
    case KeyDel:
        if (m_cursor == 0)
            return { Effect::Nothing, 0 };
        m_buffer.remove(--m_cursor, 1);
        --m_length;
        return Edited();
    case Control('D'):
    case KeyDelete:
        if (m_cursor >= m_length)
            return { Effect::Nothing, 0 };
        m_buffer.remove(m_cursor, 1);
        --m_length;
        return Edited();
    case Control('U'):
        if (m_length == 0)
            return { Effect::Nothing, 0 };
        Clear();
        return Edited();
    case Control('W'): {
        if (m_cursor == 0)
            return { Effect::Nothing, 0 };
        int start = m_cursor;
        while (start > 0 && IsBlank(m_buffer[start - 1]))
            --start;
        while (start > 0 && !IsBlank(m_buffer[start - 1]))
            --start;
        m_buffer.remove(start, m_cursor - start);
        m_length -= m_cursor - start;
        m_cursor = start;
        return Edited();
    }
    case KeyLeft:
    case Control('B'):
        if (m_cursor == 0)
            return { Effect::Nothing, 0 };
        --m_cursor;
        return Edited();
    case KeyRight:
    case Control('F'):
        if (m_cursor >= m_length)
            return { Effect::Nothing, 0 };
        return { Effect::Echo, m_buffer[m_cursor++] };
    case Control('K'):
        if (m_cursor >= m_length)
            return { Effect::Nothing, 0 };
        m_buffer.truncate(m_length = m_cursor);
        return Edited();
    case KeyHome:
    case Control('A'):
        if (m_cursor == 0)
            return { Effect::Nothing, 0 };
        m_cursor = 0;
        return Edited();
    case KeyEnd:
    case Control('E'):
        if (m_cursor == m_length)
            return { Effect::Nothing, 0 };
        m_cursor = m_length;
        return Edited();
    default: break;
    }
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
