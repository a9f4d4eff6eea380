#include "AnsiArt.h"

#include "ScreenEncoder.h"
#include "boot/BootRendering.h"
#include "common/Limits.h"
#include "format/Palette.h"

#include <QDate>

#include <map>

namespace {

constexpr char Escape = 0x1B;
constexpr char EndOfFile = 0x1A;
constexpr int SauceSize = 128;

// ANSI's colour order (red first) against the PC's (blue first).
constexpr std::array<int, 8> PcColour { 0, 4, 2, 6, 1, 5, 3, 7 };

using Row = std::array<Cell, Screen::Columns>;

Row BlankRow()
{
    Row row;
    row.fill(Cell {});
    return row;
}

int LittleEndian(QByteArrayView bytes, qsizetype at, int size)
{
    int value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

// The pen of SGR: colours as ANSI numbers them, and the flags.
struct Pen {
    int foreground = 7;
    int background = 0;
    bool bold = false;
    bool blink = false;
    bool reverse = false;
    bool brightForeground = false; // 90-97
    bool brightBackground = false; // 100-107

    std::uint8_t Attribute() const
    {
        int fg = PcColour[static_cast<size_t>(foreground)] | (bold || brightForeground ? 8 : 0);
        int bg = PcColour[static_cast<size_t>(background)] | (blink || brightBackground ? 8 : 0);
        if (reverse)
            std::swap(fg, bg);
        return static_cast<std::uint8_t>(BootAttribute(bg, fg));
    }

    void Apply(int code)
    {
        if (code == 0)
            *this = Pen {};
        else if (code == 1)
            bold = true;
        else if (code == 22)
            bold = brightForeground = false;
        else if (code == 5)
            blink = true;
        else if (code == 25)
            blink = brightBackground = false;
        else if (code == 7)
            reverse = true;
        else if (code == 27)
            reverse = false;
        else if (code >= 30 && code <= 37)
            foreground = code - 30, brightForeground = false;
        else if (code == 39)
            foreground = 7, brightForeground = false;
        else if (code >= 40 && code <= 47)
            background = code - 40, brightBackground = false;
        else if (code == 49)
            background = 0, brightBackground = false;
        else if (code >= 90 && code <= 97)
            foreground = code - 90, brightForeground = true;
        else if (code >= 100 && code <= 107)
            background = code - 100, brightBackground = true;
    }
};

// The art's rows as read so far. Rows not drawn on since they were last
// erased are ranges of one blank cell, so that erasing thousands of rows
// costs what erasing one does; a row is held cell by cell once drawn on.
class ArtRows {
public:
    int Count() const { return m_count; }

    // New rows are blank in the default colours: Fill never reaches past the last row.
    void Extend(int count) { m_count = std::max(m_count, count); }

    Cell& At(int row, int column)
    {
        if (!m_last || row != m_lastRow) {
            const auto [drawn, made] = m_drawn.try_emplace(row);
            if (made)
                drawn->second.fill(FillAt(row));
            m_last = &drawn->second;
            m_lastRow = row;
        }
        return (*m_last)[static_cast<size_t>(column)];
    }

    // Rows from up to to, every cell the blank one.
    void Fill(int from, int to, Cell blank)
    {
        from = std::max(from, 0);
        to = std::min(to, m_count);
        if (from >= to)
            return;
        const Cell after = FillAt(to);
        m_fills.erase(m_fills.lower_bound(from), m_fills.upper_bound(to));
        m_fills[from] = blank;
        m_fills[to] = after;
        m_drawn.erase(m_drawn.lower_bound(from), m_drawn.lower_bound(to));
        m_last = nullptr;
    }

    std::vector<Row> Rows() const
    {
        std::vector<Row> rows(static_cast<size_t>(m_count));
        for (int row = 0; row < m_count; ++row) {
            const auto drawn = m_drawn.find(row);
            if (drawn != m_drawn.end())
                rows[static_cast<size_t>(row)] = drawn->second;
            else
                rows[static_cast<size_t>(row)].fill(FillAt(row));
        }
        return rows;
    }

private:
    Cell FillAt(int row) const
    {
        const auto next = m_fills.upper_bound(row);
        return next == m_fills.begin() ? Cell {} : std::prev(next)->second;
    }

    int m_count = 0;
    std::map<int, Cell> m_fills; // rows from a key up to the next key, where not drawn on
    std::map<int, Row> m_drawn;
    Row* m_last = nullptr; // the row drawn on last, found once
    int m_lastRow = -1;
};

class ArtReader {
public:
    ArtReader(AnsiArt& art)
        : m_art(art)
    {
        m_rows.Extend(1);
    }

    std::vector<Row> Rows() const { return m_rows.Rows(); }

    void Read(QByteArrayView bytes)
    {
        for (qsizetype at = 0; at < bytes.size(); ++at) {
            const char byte = bytes[at];
            if (byte == Escape && at + 1 < bytes.size() && bytes[at + 1] == '[')
                at = Sequence(bytes, at + 2);
            else if (byte == '\r')
                m_column = 0;
            else if (byte == '\n')
                MoveTo(0, m_row + 1);
            else if (byte == '\t')
                MoveTo(std::min((m_column / 8 + 1) * 8, m_art.width - 1), m_row);
            else
                Put(static_cast<std::uint8_t>(byte));
        }
    }

private:
    // Reads the parameters and final byte of a sequence that starts at
    // from; returns the offset of its last byte.
    qsizetype Sequence(QByteArrayView bytes, qsizetype from)
    {
        std::vector<int> numbers { -1 };
        int dropped = -1; // the parameters past the bound are read into this
        int* number = &numbers.back();
        qsizetype at = from;
        for (; at < bytes.size(); ++at) {
            const char byte = bytes[at];
            if (byte >= '0' && byte <= '9') {
                *number = std::min(std::max(*number, 0) * 10 + (byte - '0'), 99999);
            } else if (byte == ';') {
                if (numbers.size() < Limits::ArtParameters)
                    number = &numbers.emplace_back(-1);
                else
                    *(number = &dropped) = -1;
            } else if (byte >= 0x40 && byte <= 0x7E) {
                Act(byte, numbers);
                return at;
            } else if (byte < 0x20 || byte > 0x3F) {
                return at - 1; // not a sequence after all: the byte is read again
            }
        }
        return at;
    }

    void Act(char final, const std::vector<int>& numbers)
    {
        const auto number = [&](size_t index, int fallback) {
            return index < numbers.size() && numbers[index] > 0 ? numbers[index] : fallback;
        };
        const int count = number(0, 1);
        switch (final) {
        case 'A': MoveTo(m_column, std::max(m_row - count, 0)); break;
        case 'B': MoveTo(m_column, m_row + count); break;
        case 'C': MoveTo(std::min(m_column + count, m_art.width - 1), m_row); break;
        case 'D': MoveTo(std::max(m_column - count, 0), m_row); break;
        case 'H':
        case 'f': MoveTo(std::min(number(1, 1), m_art.width) - 1, number(0, 1) - 1); break;
        case 's': m_saved = { m_column, m_row }; break;
        case 'u': MoveTo(m_saved.column, m_saved.row); break;
        case 'J': Erase(numbers[0] < 0 ? 0 : numbers[0]); break;
        case 'K': EraseLine(numbers[0] < 0 ? 0 : numbers[0]); break;
        case 'm':
            for (int code : numbers)
                m_pen.Apply(std::max(code, 0));
            break;
        default: break;
        }
    }

    void MoveTo(int column, int row)
    {
        m_column = column;
        m_row = std::min(row, Limits::ArtRows - 1);
        m_rows.Extend(m_row + 1);
    }

    void Put(std::uint8_t byte)
    {
        if (m_column < Screen::Columns)
            m_rows.At(m_row, m_column) = { byte, m_pen.Attribute() };
        else
            m_art.cut = true;
        if (++m_column >= m_art.width)
            MoveTo(0, m_row + 1);
    }

    // Erased cells keep the pen's background, in the default foreground.
    Cell BlankCell() const
    {
        return { ' ',
            static_cast<std::uint8_t>(BootAttribute(BackgroundOf(m_pen.Attribute()), DefaultForegroundDigit)) };
    }

    void EraseLine(int mode)
    {
        const Cell blank = BlankCell();
        const int to = std::min(mode == 1 ? m_column + 1 : Screen::Columns, Screen::Columns);
        for (int column = mode == 0 ? m_column : 0; column < to; ++column)
            m_rows.At(m_row, column) = blank;
    }

    void Erase(int mode)
    {
        if (mode == 2) {
            m_rows.Fill(0, m_rows.Count(), BlankCell());
            MoveTo(0, 0);
            return;
        }
        EraseLine(mode);
        if (mode == 0)
            m_rows.Fill(m_row + 1, m_rows.Count(), BlankCell());
        else
            m_rows.Fill(0, m_row, BlankCell());
    }

    AnsiArt& m_art;
    ArtRows m_rows;
    Pen m_pen;
    int m_column = 0;
    int m_row = 0;
    Spot m_saved;
};

}

Screen AnsiArt::RowsFrom(int first) const
{
    Screen screen;
    for (int row = 0; row < Screen::Rows; ++row) {
        const size_t index = static_cast<size_t>(first + row);
        if (first + row >= 0 && index < rows.size())
            std::copy(rows[index].begin(), rows[index].end(), screen.cells.begin() + row * Screen::Columns);
    }
    return screen;
}

AnsiArt ReadAnsiArt(QByteArrayView file)
{
    AnsiArt art;
    QByteArrayView content = file;
    if (file.size() >= SauceSize && file.sliced(file.size() - SauceSize).startsWith("SAUCE00")) {
        const qsizetype sauce = file.size() - SauceSize;
        const int dataType = static_cast<std::uint8_t>(file[sauce + 94]);
        const int width = LittleEndian(file, sauce + 96, 2);
        if ((dataType == 1 || dataType == 0) && width > 0)
            art.width = std::min(width, Limits::ArtColumns);
        art.iceColours = (file[sauce + 105] & 0x01) != 0;
        content = file.first(sauce);
    }
    const qsizetype end = content.indexOf(EndOfFile);
    if (end >= 0)
        content = content.first(end);
    ArtReader reader(art);
    reader.Read(content);
    art.rows = reader.Rows();
    // A last line break opens a row that holds nothing.
    if (art.rows.size() > 1 && art.rows.back() == BlankRow())
        art.rows.pop_back();
    return art;
}

namespace {

QByteArray Sgr(std::uint8_t attribute)
{
    QByteArray sgr = "\x1b[0";
    if (ForegroundOf(attribute) >= 8)
        sgr += ";1";
    if (BackgroundOf(attribute) >= 8)
        sgr += ";5";
    const auto ansi = [](int pc) {
        return static_cast<int>(std::find(PcColour.begin(), PcColour.end(), pc & 7) - PcColour.begin());
    };
    sgr += ";3" + QByteArray::number(ansi(ForegroundOf(attribute))) + ";4"
        + QByteArray::number(ansi(BackgroundOf(attribute)));
    return sgr + 'm';
}

void AppendLittleEndian(QByteArray& bytes, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
}

QByteArray Padded(QByteArray text, int size) { return text.leftJustified(size, ' ', true); }

}

QByteArray WriteAnsiArt(const Screen& screen)
{
    QByteArray art = "\x1b[0m";
    std::uint8_t pen = 0x07;
    bool ice = false;
    const Cell plain {};
    for (int row = 0; row < Screen::Rows; ++row) {
        int end = Screen::Columns;
        while (end > 0 && screen.At(end - 1, row) == plain)
            --end;
        for (int column = 0; column < end; ++column) {
            const Cell& cell = screen.At(column, row);
            ice = ice || BackgroundOf(cell.attribute) >= 8;
            if (cell.attribute != pen)
                art += Sgr(pen = cell.attribute);
            // Bytes that readers of .ans act on are shown as a space.
            const bool acts = cell.byte == '\r' || cell.byte == '\n' || cell.byte == EndOfFile || cell.byte == Escape
                || cell.byte == '\t';
            art += acts ? ' ' : static_cast<char>(cell.byte);
        }
        if (end < Screen::Columns && row + 1 < Screen::Rows) {
            if (pen != 0x07)
                art += Sgr(pen = 0x07);
            art += "\r\n";
        }
    }
    art += "\x1b[0m";
    const quint32 size = static_cast<quint32>(art.size());
    art += EndOfFile;
    art += "SAUCE00";
    art += Padded("", 35) + Padded("", 20) + Padded("", 20);
    art += QDate::currentDate().toString(u"yyyyMMdd").toLatin1();
    AppendLittleEndian(art, size, 4);
    art += '\x01'; // character art
    art += '\x01'; // ANSi
    AppendLittleEndian(art, Screen::Columns, 2);
    AppendLittleEndian(art, Screen::Rows, 2);
    AppendLittleEndian(art, 0, 4);
    art += '\0'; // no comments
    art += static_cast<char>(ice ? 0x01 : 0x00);
    art += QByteArray("IBM VGA").leftJustified(22, '\0', true);
    return art;
}

ImportedArt ImportAnsiArt(const AnsiArt& art, int first)
{
    const int rows = static_cast<int>(art.rows.size());
    first = std::clamp(first, 0, std::max(rows - Screen::Rows, 0));
    const Screen screen = art.RowsFrom(first);
    const Encoding encoding = EncodeScreen(screen);
    ImportedArt imported { encoding.bytes, {} };
    if (art.cut)
        imported.losses
            << QStringLiteral("the art is %1 columns wide: what it draws beyond column 80 is cut").arg(art.width);
    if (rows > Screen::Rows)
        imported.losses << QStringLiteral("the art has %1 rows: only rows %2-%3 are taken")
                               .arg(rows)
                               .arg(first + 1)
                               .arg(first + Screen::Rows);
    if (!encoding.left.empty())
        imported.losses << DescribeLeftCells(screen, encoding.left);
    return imported;
}
