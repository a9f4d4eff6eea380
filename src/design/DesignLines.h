#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

// A configuration file cut into its lines as both menu readers number
// them (at each LF), with what the designer needs to know of each line:
// where its text and its break lie, which directive starts it, and the
// lines an entry's block holds. Nothing here changes a byte.
namespace Design {

enum class LineKind {
    Other, // a setting of the menu or of the loader, or a line nobody reads
    Quiet, // blank or a comment
    Label,
    LabelPart, // KERNEL, APPEND, INITRD, MENU LABEL, MENU DEFAULT ... of the label being read
    TextStart, // TEXT (HELP): the lines up to ENDTEXT are its text
    MenuBegin,
    MenuEnd,
    Separator,
    Include, // INCLUDE or MENU INCLUDE
};

struct FileLine {
    qsizetype begin = 0;
    qsizetype end = 0; // where the text ends, before its CR and LF
    qsizetype next = 0; // after the line break
};

class FileLines {
public:
    explicit FileLines(const QByteArray& bytes);

    const QByteArray& Bytes() const { return m_bytes; }
    int Count() const { return static_cast<int>(m_lines.size()); }
    // Lines count from 1, as ConfigPlace does.
    const FileLine& At(int line) const { return m_lines[static_cast<std::size_t>(line - 1)]; }
    QByteArray Text(int line) const;
    QByteArray Break(int line) const;
    // Each line's kind; the lines inside a TEXT block are Quiet.
    LineKind Kind(int line) const { return m_kinds[static_cast<std::size_t>(line - 1)]; }
    // The break new lines take: that of the line given, else the file's
    // first, else LF.
    QByteArray BreakNear(int line) const;

    // The last line of the block a LABEL, MENU BEGIN or MENU SEPARATOR line
    // starts: the label's last own line (its TEXT's ENDTEXT), the matching
    // MENU END, the separator itself; nothing when a MENU BEGIN has no END
    // in this file.
    std::optional<int> BlockEnd(int first) const;
    // Whether a line of the block is none of its own: a setting between the
    // label's lines, which a move would carry along.
    std::optional<int> ForeignLine(int first, int last) const;
    // The lines of a block that say something of it (LabelParts, a
    // submenu's own naming lines), in order.
    std::vector<int> OwnLines(int first) const;

private:
    QByteArray m_bytes;
    std::vector<FileLine> m_lines;
    std::vector<LineKind> m_kinds;
};

// What a line says, by its first words (the case of keywords ignored).
LineKind KindOfLine(const QByteArray& text);
// The argument of a line: the bytes after its keyword words (two for MENU
// lines, "menu color" three with the element) and the blanks after them,
// as offsets into the line's text.
qsizetype ArgumentStart(const QByteArray& text, int words);
// Whether the line's first word is written in capitals ("LABEL").
bool UpperCaseKeyword(const QByteArray& text);
QByteArray Indent(const QByteArray& text);
// The MENU word after "menu" (lower case), or empty.
QByteArray MenuWord(const QByteArray& text);
// The first word, lower case.
QByteArray FirstWord(const QByteArray& text);

}
