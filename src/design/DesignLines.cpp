#include "DesignLines.h"

#include "config/BootConfig.h"
#include "config/ConfigSyntax.h"

#include <array>

using namespace ConfigSyntax;

namespace Design {

namespace {

// The MENU words that belong to the label being read (menu.c32's
// readconfig.c looks them up on the label it holds).
constexpr std::array<const char*, 11> LabelMenuWords
    = { "label", "default", "hide", "passwd", "disable", "disabled", "indent", "quit", "goto", "exit", "help" };
constexpr std::array<const char*, 4> LabelWords = { "append", "initrd", "ipappend", "sysappend" };

bool IsLabelWord(const char* p)
{
    for (const char* word : LabelWords) {
        if (LookingAt(p, word))
            return true;
    }
    for (int kind = 0; kind <= static_cast<int>(KernelKind::Config); ++kind) {
        if (LookingAt(p, KernelKindWord(static_cast<KernelKind>(kind))))
            return true;
    }
    return false;
}

}

LineKind KindOfLine(const QByteArray& text)
{
    const char* p = SkipBlanks(text.constData());
    if (!*p || *p == '#')
        return LineKind::Quiet;
    if (LookingAt(p, "label"))
        return LineKind::Label;
    if (LookingAt(p, "text"))
        return LineKind::TextStart;
    if (LookingAt(p, "include"))
        return LineKind::Include;
    if (IsLabelWord(p))
        return LineKind::LabelPart;
    if (const char* ep = LookingAt(p, "menu")) {
        const char* q = SkipBlanks(ep);
        if (LookingAt(q, "begin"))
            return LineKind::MenuBegin;
        if (LookingAt(q, "end"))
            return LineKind::MenuEnd;
        if (LookingAt(q, "separator"))
            return LineKind::Separator;
        if (LookingAt(q, "include"))
            return LineKind::Include;
        for (const char* word : LabelMenuWords) {
            if (LookingAt(q, word))
                return LineKind::LabelPart;
        }
    }
    return LineKind::Other;
}

FileLines::FileLines(const QByteArray& bytes)
    : m_bytes(bytes)
{
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', at);
        const qsizetype next = lf < 0 ? bytes.size() : lf + 1;
        qsizetype end = lf < 0 ? bytes.size() : lf;
        if (end > at && bytes[end - 1] == '\r')
            --end;
        m_lines.push_back({ at, end, next });
        at = next;
    }
    m_kinds.resize(m_lines.size(), LineKind::Quiet);
    bool inText = false;
    for (int line = 1; line <= Count(); ++line) {
        const QByteArray text = Text(line);
        if (inText) {
            inText = !LookingAt(SkipBlanks(text.constData()), "endtext");
            continue;
        }
        m_kinds[static_cast<std::size_t>(line - 1)] = KindOfLine(text);
        inText = Kind(line) == LineKind::TextStart;
    }
}

QByteArray FileLines::Text(int line) const
{
    const FileLine& at = At(line);
    return m_bytes.mid(at.begin, at.end - at.begin);
}

QByteArray FileLines::Break(int line) const
{
    const FileLine& at = At(line);
    return m_bytes.mid(at.end, at.next - at.end);
}

QByteArray FileLines::BreakNear(int line) const
{
    if (line >= 1 && line <= Count() && !Break(line).isEmpty())
        return Break(line);
    return Count() > 0 && !Break(1).isEmpty() ? Break(1) : QByteArray("\n");
}

std::optional<int> FileLines::BlockEnd(int first) const
{
    const LineKind kind = Kind(first);
    if (kind == LineKind::Separator)
        return first;
    if (kind == LineKind::MenuBegin) {
        int depth = 0;
        for (int line = first; line <= Count(); ++line) {
            depth += Kind(line) == LineKind::MenuBegin ? 1 : Kind(line) == LineKind::MenuEnd ? -1 : 0;
            if (depth == 0)
                return line;
        }
        return std::nullopt;
    }
    if (kind != LineKind::Label)
        return std::nullopt;
    int last = first;
    for (int line = first + 1; line <= Count(); ++line) {
        const LineKind at = Kind(line);
        if (at == LineKind::Label || at == LineKind::MenuBegin || at == LineKind::MenuEnd || at == LineKind::Separator
            || at == LineKind::Include)
            break;
        if (at == LineKind::LabelPart) {
            last = line;
        } else if (at == LineKind::TextStart) {
            while (line < Count() && Kind(line + 1) == LineKind::Quiet
                && !LookingAt(SkipBlanks(Text(line + 1).constData()), "endtext"))
                ++line;
            last = line = std::min(line + 1, Count());
        }
    }
    return last;
}

std::optional<int> FileLines::ForeignLine(int first, int last) const
{
    if (Kind(first) == LineKind::MenuBegin)
        return std::nullopt; // a submenu's settings are its own
    for (int line = first; line <= last; ++line) {
        if (Kind(line) == LineKind::Other || Kind(line) == LineKind::Include)
            return line;
    }
    return std::nullopt;
}

std::vector<int> FileLines::OwnLines(int first) const
{
    std::vector<int> own;
    const std::optional<int> end = Kind(first) == LineKind::Label ? BlockEnd(first) : std::nullopt;
    const int last = end.value_or(Count());
    for (int line = first + 1; line <= last; ++line) {
        const LineKind at = Kind(line);
        if (Kind(first) != LineKind::Label
            && (at == LineKind::Label || at == LineKind::MenuBegin || at == LineKind::MenuEnd
                || at == LineKind::Separator || at == LineKind::Include))
            break;
        if (at == LineKind::LabelPart || at == LineKind::TextStart
            || (at == LineKind::Other && Kind(first) == LineKind::MenuBegin && !MenuWord(Text(line)).isEmpty()))
            own.push_back(line);
    }
    return own;
}

qsizetype ArgumentStart(const QByteArray& text, int words)
{
    const char* start = text.constData();
    const char* p = SkipBlanks(start);
    for (int word = 0; word < words && *p; ++word) {
        while (*p && !IsBlank(*p))
            ++p;
        p = SkipBlanks(p);
    }
    return p - start;
}

bool UpperCaseKeyword(const QByteArray& text)
{
    const QByteArray word = Word(SkipBlanks(text.constData()));
    return !word.isEmpty() && word == word.toUpper() && word != word.toLower();
}

QByteArray Indent(const QByteArray& text) { return text.left(SkipBlanks(text.constData()) - text.constData()); }

QByteArray FirstWord(const QByteArray& text) { return Word(SkipBlanks(text.constData())).toLower(); }

QByteArray MenuWord(const QByteArray& text)
{
    const char* p = SkipBlanks(text.constData());
    const char* ep = LookingAt(p, "menu");
    return ep ? Word(SkipBlanks(ep)).toLower() : QByteArray();
}

}
