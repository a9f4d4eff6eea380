#include "editor/document/LineBreaks.h"

#include "common/Limits.h"

#include <algorithm>
#include <array>
#include <vector>

namespace LineBreaks {

namespace {

struct Line {
    QByteArrayView text;
    QByteArrayView end; // the break after it; empty on the last line
};

std::vector<Line> FileLines(QByteArrayView bytes)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        if (bytes[at] != '\r' && bytes[at] != '\n')
            continue;
        const qsizetype width = bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n' ? 2 : 1;
        lines.push_back({ bytes.sliced(start, at - start), bytes.sliced(at, width) });
        at += width - 1;
        start = at + 1;
    }
    lines.push_back({ bytes.sliced(start), {} });
    return lines;
}

std::vector<QByteArrayView> DocumentLines(QByteArrayView bytes)
{
    std::vector<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype at = bytes.indexOf("\r\n"); at >= 0; at = bytes.indexOf("\r\n", start)) {
        lines.push_back(bytes.sliced(start, at - start));
        start = at + 2;
    }
    lines.push_back(bytes.sliced(start));
    return lines;
}

// How alike two lines are: their common start and end, up to a point.
int Likeness(QByteArrayView a, QByteArrayView b)
{
    constexpr qsizetype Enough = 64;
    const qsizetype most = std::min({ a.size(), b.size(), Enough });
    qsizetype start = 0, end = 0;
    while (start < most && a[start] == b[start])
        ++start;
    while (end < most - start && a[a.size() - 1 - end] == b[b.size() - 1 - end])
        ++end;
    return int(start + end);
}

// The changed lines between two matches: as many pairs as can be, in
// order, each file line with the document line most like it (a line split
// by Enter keeps its break on the part that holds its start or its end).
void PairGap(const std::vector<Line>& file, const std::vector<QByteArrayView>& document, qsizetype fromRow,
    qsizetype toRow, qsizetype fromColumn, qsizetype toColumn, std::vector<qsizetype>& pairs)
{
    const qsizetype rows = toRow - fromRow, columns = toColumn - fromColumn;
    if (rows == 0 || columns == 0)
        return;
    if (rows == columns || (rows + 1) * (columns + 1) > Limits::LineBreakMatchCells) {
        for (qsizetype k = 0; k < std::min(rows, columns); ++k)
            pairs[std::size_t(fromColumn + k)] = fromRow + k;
        return;
    }
    // Best scores from the end; one pair more outweighs any likeness, so
    // the most pairs are made.
    const qint64 pair = qint64(129) * std::min(rows, columns) + 1;
    std::vector<qint64> best(std::size_t((rows + 1) * (columns + 1)), 0);
    const auto at = [&](qsizetype r, qsizetype c) -> qint64& { return best[std::size_t(r * (columns + 1) + c)]; };
    const auto score = [&](qsizetype r, qsizetype c) {
        return pair + Likeness(file[std::size_t(fromRow + r)].text, document[std::size_t(fromColumn + c)]);
    };
    for (qsizetype r = rows - 1; r >= 0; --r) {
        for (qsizetype c = columns - 1; c >= 0; --c)
            at(r, c) = std::max({ at(r + 1, c), at(r, c + 1), score(r, c) + at(r + 1, c + 1) });
    }
    for (qsizetype r = 0, c = 0; r < rows && c < columns;) {
        if (at(r, c) == score(r, c) + at(r + 1, c + 1))
            pairs[std::size_t(fromColumn + c++)] = fromRow + r++;
        else if (at(r, c) == at(r + 1, c))
            ++r;
        else
            ++c;
    }
}

// For each document line, the file line it stands for, or -1 for a new
// one: equal lines matched as a longest common run (beyond a bound, the
// lines between the common start and end are paired in order), and the
// unmatched lines between two matches paired in order.
std::vector<qsizetype> Pairs(const std::vector<Line>& file, const std::vector<QByteArrayView>& document)
{
    std::vector<qsizetype> pairs(document.size(), -1);
    const qsizetype fileCount = qsizetype(file.size());
    const qsizetype count = qsizetype(document.size());
    qsizetype head = 0;
    while (head < fileCount && head < count && file[head].text == document[head]) {
        pairs[std::size_t(head)] = head;
        ++head;
    }
    qsizetype tail = 0;
    while (tail < fileCount - head && tail < count - head
        && file[fileCount - 1 - tail].text == document[count - 1 - tail]) {
        pairs[std::size_t(count - 1 - tail)] = fileCount - 1 - tail;
        ++tail;
    }
    const qsizetype rows = fileCount - head - tail;
    const qsizetype columns = count - head - tail;
    // Common lengths from the end: at (i, j), of file lines i.. and document lines j..
    std::vector<quint32> common;
    if ((rows + 1) * (columns + 1) <= Limits::LineBreakMatchCells)
        common.assign(std::size_t((rows + 1) * (columns + 1)), 0);
    const auto at = [&](qsizetype i, qsizetype j) -> quint32& { return common[std::size_t(i * (columns + 1) + j)]; };
    for (qsizetype i = rows - 1; i >= 0 && !common.empty(); --i) {
        for (qsizetype j = columns - 1; j >= 0; --j)
            at(i, j) = file[head + i].text == document[std::size_t(head + j)] ? at(i + 1, j + 1) + 1
                                                                              : std::max(at(i + 1, j), at(i, j + 1));
    }
    qsizetype i = 0, j = 0, gapRow = 0, gapColumn = 0;
    const auto pairGap = [&] { PairGap(file, document, head + gapRow, head + i, head + gapColumn, head + j, pairs); };
    while (!common.empty() && i < rows && j < columns) {
        if (file[head + i].text == document[std::size_t(head + j)] && at(i, j) == at(i + 1, j + 1) + 1) {
            pairGap();
            pairs[std::size_t(head + j)] = head + i;
            gapRow = ++i;
            gapColumn = ++j;
        } else if (at(i + 1, j) >= at(i, j + 1)) {
            ++i;
        } else {
            ++j;
        }
    }
    i = rows;
    j = columns;
    pairGap();
    return pairs;
}

QByteArrayView BreakOf(Kind kind)
{
    return kind == Kind::Lf ? QByteArrayView("\n") : kind == Kind::Cr ? QByteArrayView("\r") : "\r\n";
}

// The break most lines of the file end with.
QByteArrayView MostCommon(const std::vector<Line>& file)
{
    std::array<int, 3> counts {};
    for (const Line& line : file)
        counts[line.end == "\n" ? 0 : line.end == "\r" ? 1 : 2] += line.end.isEmpty() ? 0 : 1;
    return counts[0] > counts[2] && counts[0] >= counts[1] ? "\n" : counts[1] > counts[2] ? "\r" : "\r\n";
}

}

Kind KindOf(QByteArrayView file)
{
    Kind kind = Kind::None;
    for (const Line& line : FileLines(file)) {
        const Kind own = line.end == "\n" ? Kind::Lf : line.end == "\r" ? Kind::Cr : Kind::CrLf;
        if (line.end.isEmpty() || own == kind)
            continue;
        if (kind != Kind::None)
            return Kind::Mixed;
        kind = own;
    }
    return kind;
}

QByteArray Restore(QByteArrayView file, QByteArrayView document)
{
    const Kind kind = KindOf(file);
    const std::vector<QByteArrayView> lines = DocumentLines(document);
    const std::vector<Line> fileLines = kind == Kind::Mixed ? FileLines(file) : std::vector<Line> {};
    const std::vector<qsizetype> pairs = kind == Kind::Mixed ? Pairs(fileLines, lines) : std::vector<qsizetype> {};
    QByteArray restored;
    restored.reserve(document.size());
    QByteArrayView previous = kind == Kind::Mixed ? MostCommon(fileLines) : BreakOf(kind);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        restored += lines[index];
        if (index + 1 == lines.size())
            break;
        if (kind == Kind::Mixed && pairs[index] >= 0 && !fileLines[std::size_t(pairs[index])].end.isEmpty())
            previous = fileLines[std::size_t(pairs[index])].end;
        restored += previous;
    }
    return restored;
}

}
