#include "AnsiArt.h"

#include "ScreenEncoder.h"

#include <QDate>

namespace {

constexpr char Escape = 0x1B;
constexpr char EndOfFile = 0x1A;
constexpr int SauceSize = 128;

// ANSI's colour order (red first) against the PC's (blue first).
constexpr std::array<int, 8> PcColour { 0, 4, 2, 6, 1, 5, 3, 7 };

std::array<Cell, Screen::Columns> BlankRow()
{
    std::array<Cell, Screen::Columns> row;
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
        return static_cast<std::uint8_t>(bg << 4 | fg);
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

class ArtReader {
public:
    ArtReader(AnsiArt& art)
        : m_art(art)
    {
        m_art.rows.push_back(BlankRow());
    }

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
        qsizetype at = from;
        for (; at < bytes.size(); ++at) {
            const char byte = bytes[at];
            if (byte >= '0' && byte <= '9') {
                numbers.back() = std::min(std::max(numbers.back(), 0) * 10 + (byte - '0'), 99999);
            } else if (byte == ';') {
                numbers.push_back(-1);
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
        m_row = std::min(row, MostArtRows - 1);
        while (static_cast<int>(m_art.rows.size()) <= m_row)
            m_art.rows.push_back(BlankRow());
    }

    void Put(std::uint8_t byte)
    {
        if (m_column < Screen::Columns)
            m_art.rows[static_cast<size_t>(m_row)][static_cast<size_t>(m_column)] = { byte, m_pen.Attribute() };
        else
            m_art.cut = true;
        if (++m_column >= m_art.width)
            MoveTo(0, m_row + 1);
    }

    void Blank(int row, int from, int to)
    {
        const Cell blank { ' ', static_cast<std::uint8_t>((m_pen.Attribute() & 0xF0) | 0x07) };
        for (int column = std::max(from, 0); column < std::min(to, Screen::Columns); ++column)
            m_art.rows[static_cast<size_t>(row)][static_cast<size_t>(column)] = blank;
    }

    void EraseLine(int mode) { Blank(m_row, mode == 0 ? m_column : 0, mode == 1 ? m_column + 1 : Screen::Columns); }

    void Erase(int mode)
    {
        const int rows = static_cast<int>(m_art.rows.size());
        if (mode == 2) {
            for (int row = 0; row < rows; ++row)
                Blank(row, 0, Screen::Columns);
            MoveTo(0, 0);
            return;
        }
        EraseLine(mode);
        for (int row = mode == 0 ? m_row + 1 : 0; row < (mode == 0 ? rows : m_row); ++row)
            Blank(row, 0, Screen::Columns);
    }

    AnsiArt& m_art;
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
            art.width = std::min(width, 1000);
        art.iceColours = (file[sauce + 105] & 0x01) != 0;
        content = file.first(sauce);
    }
    const qsizetype end = content.indexOf(EndOfFile);
    if (end >= 0)
        content = content.first(end);
    ArtReader(art).Read(content);
    // A last line break opens a row that holds nothing.
    if (art.rows.size() > 1 && art.rows.back() == BlankRow())
        art.rows.pop_back();
    return art;
}

namespace {

QByteArray Sgr(std::uint8_t attribute)
{
    QByteArray sgr = "\x1b[0";
    if (attribute & 0x08)
        sgr += ";1";
    if (attribute & 0x80)
        sgr += ";5";
    const auto ansi = [](int pc) {
        return static_cast<int>(std::find(PcColour.begin(), PcColour.end(), pc & 7) - PcColour.begin());
    };
    sgr += ";3" + QByteArray::number(ansi(attribute & 0x0F)) + ";4" + QByteArray::number(ansi(attribute >> 4));
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
            ice = ice || (cell.attribute & 0x80);
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
