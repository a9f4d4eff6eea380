#include "GrubEditor.h"

#include "GrubKeys.h"

#include <QString>

#include <algorithm>

namespace {

using Text = std::u32string;

// A line as the terminal shows it: a tab runs to the next eighth column.
Text Shown(const Text& line, std::size_t length)
{
    Text shown;
    for (std::size_t at = 0; at < length && at < line.size(); ++at) {
        if (line[at] == U'\t')
            shown.append(8 - shown.size() % 8, U' ');
        else
            shown.push_back(line[at]);
    }
    return shown;
}

Text FromUtf8(const QByteArray& bytes)
{
    const QList<uint> codes = QString::fromUtf8(bytes).toUcs4();
    return Text(codes.begin(), codes.end());
}

}

GrubEditor::GrubEditor(const QByteArray& script)
{
    Insert(FromUtf8(script));
    m_line = 0;
    m_column = 0;
    m_realColumn = 0;
}

void GrubEditor::Insert(const Text& text)
{
    for (const char32_t code : text) {
        if (code == U'\n') {
            Text rest = Current().substr(static_cast<std::size_t>(m_column));
            Current().resize(static_cast<std::size_t>(m_column));
            m_lines.insert(m_lines.begin() + m_line + 1, std::move(rest));
            ++m_line;
            m_column = 0;
        } else {
            Current().insert(Current().begin() + m_column, code);
            ++m_column;
        }
    }
    m_realColumn = m_column;
}

void GrubEditor::Forward()
{
    if (m_column < Length(m_line)) {
        ++m_column;
    } else if (m_line + 1 < static_cast<int>(m_lines.size())) {
        ++m_line;
        m_column = 0;
    }
    m_realColumn = m_column;
}

void GrubEditor::Backward()
{
    if (m_column > 0) {
        --m_column;
    } else if (m_line > 0) {
        --m_line;
        m_column = Length(m_line);
    }
    m_realColumn = m_column;
}

void GrubEditor::Previous()
{
    if (m_line > 0) {
        --m_line;
        m_column = std::min(m_realColumn, Length(m_line));
    } else {
        m_column = 0;
    }
}

void GrubEditor::Next()
{
    if (m_line + 1 < static_cast<int>(m_lines.size())) {
        ++m_line;
        m_column = std::min(m_realColumn, Length(m_line));
    } else {
        m_column = Length(m_line);
    }
}

void GrubEditor::DeleteChar()
{
    if (m_column < Length(m_line)) {
        Current().erase(static_cast<std::size_t>(m_column), 1);
    } else if (m_line + 1 < static_cast<int>(m_lines.size())) {
        Current() += m_lines[static_cast<std::size_t>(m_line) + 1];
        m_lines.erase(m_lines.begin() + m_line + 1);
    }
    m_realColumn = m_column;
}

void GrubEditor::Kill(bool continuous)
{
    if (!continuous)
        m_killed.clear();
    if (m_column < Length(m_line)) {
        m_killed += Current().substr(static_cast<std::size_t>(m_column));
        Current().resize(static_cast<std::size_t>(m_column));
    } else if (m_line + 1 < static_cast<int>(m_lines.size())) {
        m_killed += U'\n';
        DeleteChar();
    }
}

GrubEditor::Result GrubEditor::Key(int key)
{
    using namespace GrubKey;
    const int previous = std::exchange(m_previousKey, key);
    switch (key) {
    case Up:
    case CtrlKey('p'): Previous(); break;
    case Down:
    case CtrlKey('n'): Next(); break;
    case Right:
    case CtrlKey('f'): Forward(); break;
    case Left:
    case CtrlKey('b'): Backward(); break;
    case Home:
    case CtrlKey('a'): m_column = m_realColumn = 0; break;
    case End:
    case CtrlKey('e'): m_column = Length(m_line); break;
    case Delete:
    case CtrlKey('d'): DeleteChar(); break;
    case Backspace: {
        const int line = m_line;
        const int column = m_column;
        Backward();
        if (line != m_line || column != m_column)
            DeleteChar();
        break;
    }
    case CtrlKey('k'): Kill(previous == key); break;
    case CtrlKey('y'): Insert(m_killed); break;
    case CtrlKey('o'):
        Insert(U"\n");
        Backward();
        break;
    case Enter: Insert(U"\n"); break;
    case Escape: return Result::Discard;
    case CtrlKey('c'):
    case F2: return Result::CommandLine;
    case CtrlKey('x'):
    case F10: return Result::Boot;
    default:
        if (Printable(key))
            Insert(Text(1, static_cast<char32_t>(key)));
        break;
    }
    return Result::Editing;
}

QByteArray GrubEditor::Script() const
{
    QByteArray script;
    for (const Text& line : m_lines)
        script += QString::fromUcs4(line.data(), static_cast<qsizetype>(line.size())).toUtf8() + '\n';
    return script;
}

int GrubEditor::RowsOf(int line, int width) const
{
    const int shown = static_cast<int>(Shown(m_lines[static_cast<std::size_t>(line)], Text::npos).size());
    return std::max(1, (shown + width - 1) / width);
}

void GrubEditor::Draw(GrubTerminal& text)
{
    const GrubPage::Geometry page = GrubPage::Init(text, false, true);
    const int width = std::max(page.width, 1);
    const int before = static_cast<int>(Shown(Current(), static_cast<std::size_t>(m_column)).size());
    int cursor = m_top;
    for (int line = 0; line < m_line; ++line)
        cursor += RowsOf(line, width);
    // At the end of a line that fills its last row the cursor stays on it.
    const bool filled = before % width == 0 && before != 0 && m_column == Length(m_line);
    cursor += before / width - (filled ? 1 : 0);
    if (cursor < 0 || cursor >= page.rows) {
        const int delta = cursor < 0 ? -cursor : page.rows - 1 - cursor;
        m_top += delta;
        cursor += delta;
    }
    int row = m_top;
    for (int line = 0; line < static_cast<int>(m_lines.size()); ++line) {
        const Text shown = Shown(m_lines[static_cast<std::size_t>(line)], Text::npos);
        const int rows = RowsOf(line, width);
        for (int part = 0; part < rows; ++part, ++row) {
            if (row < 0 || row >= page.rows)
                continue;
            text.GotoXY(page.firstX, page.firstY + row);
            const Text piece = shown.substr(
                std::min(shown.size(), static_cast<std::size_t>(part * width)), static_cast<std::size_t>(width));
            for (int x = 0; x < width + 1; ++x)
                text.Put(x < static_cast<int>(piece.size()) ? piece[static_cast<std::size_t>(x)]
                        : x == width && part + 1 < rows     ? U'\\'
                                                            : U' ');
        }
    }
    const int arrowX = page.firstX + page.width + 1 + (page.border ? 1 : 0);
    text.GotoXY(arrowX, page.firstY);
    text.Put(m_top < 0 ? 0x2191 : U' ');
    text.GotoXY(arrowX, page.firstY + page.rows - 1);
    text.Put(row > page.rows ? 0x2193 : U' ');
    text.GotoXY(page.firstX + (filled ? width : before % width), page.firstY + cursor);
    text.ShowCursor(true);
}
