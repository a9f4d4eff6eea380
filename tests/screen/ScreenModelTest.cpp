// The drawing's model: the encoder's law (its bytes, drawn by the loader's
// rules, are the screen), the box tool's junctions, ANSI art in and out.
#include "SharedMaterial.h"
#include "common/Limits.h"
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"
#include "screen/BoxDrawing.h"
#include "screen/ScreenEncoder.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <random>

#include <gtest/gtest.h>

namespace {

// Every cell but those the encoder named is drawn as the screen has it,
// and the cursor waits where the prompt is said to land.
void ExpectLaw(const Screen& screen, const std::string& what)
{
    const Encoding encoding = EncodeScreen(screen);
    const BootView drawn = BootScreenOf(encoding.bytes);
    EXPECT_EQ(drawn.cursor, encoding.prompt) << what;
    int wrong = 0;
    for (int row = 0; row < Screen::Rows; ++row) {
        for (int column = 0; column < Screen::Columns; ++column) {
            const Spot spot { column, row };
            const bool left = std::find(encoding.left.begin(), encoding.left.end(), spot) != encoding.left.end();
            if (!left && !(drawn.screen.At(spot) == screen.At(spot)) && wrong++ < 3)
                ADD_FAILURE() << what << ": cell " << column << "," << row << " is " << int(drawn.screen.At(spot).byte)
                              << "/" << int(drawn.screen.At(spot).attribute) << ", drawn " << int(screen.At(spot).byte)
                              << "/" << int(screen.At(spot).attribute);
        }
    }
}

// Runs of colour and text with blank stretches between, as drawings have.
Screen RandomScreen(std::mt19937& random, bool anyByte)
{
    Screen screen;
    std::uniform_int_distribution<int> any(0, 255), run(1, 40), kind(0, 5);
    std::uint8_t attribute = 0x07;
    for (size_t at = 0; at < screen.cells.size();) {
        const int length = run(random);
        const int choice = kind(random);
        if (choice == 0)
            attribute = static_cast<std::uint8_t>(any(random));
        for (int i = 0; i < length && at < screen.cells.size(); ++i, ++at) {
            std::uint8_t byte = choice < 2 ? ' ' : static_cast<std::uint8_t>(any(random));
            if (!anyByte && !LoaderDrawsByte(byte))
                byte = '#';
            screen.cells[at] = { byte, choice == 1 ? std::uint8_t(0x07) : attribute };
        }
    }
    return screen;
}

TEST(ScreenEncoder, WritesCanonicalBytes)
{
    Screen blank;
    EXPECT_EQ(EncodeScreen(blank).bytes,
        QByteArray("\x0f"
                   "07\x0c"));
    EXPECT_EQ(EncodeScreen(blank).prompt, (Spot { 0, 0 }));

    Screen blue;
    for (Cell& cell : blue.cells)
        cell.attribute = 0x1f;
    blue.At(2, 1) = { 'H', 0x1e };
    blue.At(3, 1) = { 'i', 0x1e };
    blue.At(4, 1) = { '!', 0x1f };
    blue.At(5, 1) = { ' ', 0x4f }; // a blank of another colour is written
    const Encoding encoding = EncodeScreen(blue);
    EXPECT_EQ(encoding.bytes,
        QByteArray("\x0f"
                   "1f\x0c\r\n  \x0f"
                   "1eHi\x0f"
                   "1f!\x0f"
                   "4f \r\n"));
    EXPECT_EQ(encoding.prompt, (Spot { 0, 2 }));
    EXPECT_TRUE(encoding.left.empty());
    // A prompt wished lower gets blank rows above it; never higher, never past row 25.
    EXPECT_EQ(EncodeScreen(blue, 4).bytes, encoding.bytes + "\r\n\r\n");
    EXPECT_EQ(EncodeScreen(blue, 1).bytes, encoding.bytes);
    EXPECT_EQ(EncodeScreen(blue, 99).prompt, (Spot { 0, 24 }));
    EXPECT_EQ(BootScreenOf(EncodeScreen(blue, 99).bytes).screen, blue);

    // A full row wraps by itself; the last cell of the screen cannot be written.
    Screen full;
    for (int column = 0; column < Screen::Columns; ++column)
        full.At(column, 3) = full.At(column, 24) = { 'x', 0x07 };
    full.At(0, 10) = { 0x10, 0x07 };
    const Encoding fullEncoding = EncodeScreen(full);
    EXPECT_EQ(fullEncoding.bytes.count("\r\n"), 23); // none after the full row 4, none on row 25
    ExpectLaw(full, "full rows");
    EXPECT_EQ(fullEncoding.left, (std::vector<Spot> { { 0, 10 }, { 79, 24 } }));
    EXPECT_EQ(fullEncoding.prompt, (Spot { 79, 24 }));
    EXPECT_TRUE(DescribeLeftCells(full, fullEncoding.left).contains(u"row 11 column 1 (byte 10)"));
    EXPECT_TRUE(DescribeLeftCells(full, fullEncoding.left).contains(u"last cell of row 25"));
}

TEST(ScreenEncoder, LawOnRandomScreens)
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 300; ++round)
        ExpectLaw(RandomScreen(random, round % 3 == 0), "random screen " + std::to_string(round));
}

TEST(ScreenEncoder, LawOnEveryRealScreen)
{
    const std::vector<QString> files = SharedDisplayFiles();
    REQUIRE_SHARED(files.size() > 50, "the probes and the corpus");
    for (const QString& name : files) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const BootView view = BootScreenOf(file.readAll());
        const Screen& screen = view.screen;
        ExpectLaw(screen, name.toStdString());
        // Where the file left its prompt, its canonical bytes leave it too.
        const Spot natural = PromptSpot(screen);
        if (view.cursor.column == 0 && natural.column == 0 && view.cursor.row >= natural.row) {
            EXPECT_EQ(PromptSpot(screen, view.cursor.row), view.cursor) << name.toStdString();
        }
        // Canonical bytes are their own canonical form.
        const QByteArray bytes = EncodeScreen(screen).bytes;
        EXPECT_EQ(EncodeScreen(BootScreenOf(bytes).screen).bytes, bytes) << name.toStdString();
    }
}

TEST(BoxDrawing, JoinsLinesWithTheRightGlyph)
{
    struct Row {
        const char* what;
        std::uint8_t under; // the cell's byte before the line
        Spot from, to; // the line, through cell (5, 5)
        LineStyle style;
        std::uint8_t expected;
    };
    const Row rows[] = {
        { "plain line", ' ', { 2, 5 }, { 9, 5 }, LineStyle::Single, 0xC4 },
        { "double across single", 0xB3, { 2, 5 }, { 9, 5 }, LineStyle::Double, 0xD8 }, // ╪
        { "single across double", 0xBA, { 2, 5 }, { 9, 5 }, LineStyle::Single, 0xD7 }, // ╫
        { "cross", 0xC4, { 5, 0 }, { 5, 9 }, LineStyle::Single, 0xC5 }, // ┼
        { "double cross", 0xCD, { 5, 0 }, { 5, 9 }, LineStyle::Double, 0xCE }, // ╬
        { "tee down into a double line", 0xCD, { 5, 5 }, { 5, 9 }, LineStyle::Single, 0xD1 }, // ╤
        { "tee right out of a double line", 0xBA, { 5, 5 }, { 9, 5 }, LineStyle::Double, 0xCC }, // ╠
        { "ending on a corner", 0xDA, { 1, 5 }, { 5, 5 }, LineStyle::Single, 0xC2 }, // ┌ + left arm: ┬
        { "double end on single line", 0xC4, { 1, 5 }, { 5, 5 }, LineStyle::Double, 0xCD }, // axis takes the style
        { "up into a box's top", 0xC4, { 5, 5 }, { 5, 1 }, LineStyle::Double, 0xD0 }, // ╨
        { "one cell", 'a', { 5, 5 }, { 5, 5 }, LineStyle::Double, 0xCD },
    };
    for (const Row& row : rows) {
        Screen screen;
        screen.At(5, 5) = { row.under, 0x1e };
        DrawLine(screen, row.from, row.to, row.style);
        EXPECT_EQ(screen.At(5, 5).byte, row.expected) << row.what;
        EXPECT_EQ(screen.At(5, 5).attribute, 0x1e) << row.what;
    }
    // Every glyph's arms lead back to it.
    for (int byte = 0; byte < 256; ++byte) {
        if (const std::optional<Arms> arms = ArmsOf(static_cast<std::uint8_t>(byte))) {
            EXPECT_EQ(GlyphOf(*arms), byte);
        }
    }

    Screen boxes;
    DrawBox(boxes, { { 0, 0 }, { 10, 4 } }, LineStyle::Double, 0x1f);
    DrawLine(boxes, { 5, 0 }, { 5, 4 }, LineStyle::Single);
    DrawLine(boxes, { 0, 2 }, { 10, 2 }, LineStyle::Single);
    const auto row = [&](int r, int from, int to) {
        QByteArray bytes;
        for (int c = from; c <= to; ++c)
            bytes += static_cast<char>(boxes.At(c, r).byte);
        return bytes;
    };
    EXPECT_EQ(row(0, 0, 10), QByteArray("\xc9\xcd\xcd\xcd\xcd\xd1\xcd\xcd\xcd\xcd\xbb"));
    EXPECT_EQ(row(1, 0, 10), QByteArray("\xba    \xb3    \xba"));
    EXPECT_EQ(row(2, 0, 10), QByteArray("\xc7\xc4\xc4\xc4\xc4\xc5\xc4\xc4\xc4\xc4\xb6"));
    EXPECT_EQ(row(4, 0, 10), QByteArray("\xc8\xcd\xcd\xcd\xcd\xcf\xcd\xcd\xcd\xcd\xbc"));
    EXPECT_EQ(boxes.At(0, 4).attribute, 0x1f);
}

QByteArray Cells(const Screen& screen, int row, int from, int count)
{
    QByteArray text;
    for (int column = from; column < from + count; ++column) {
        const Cell& cell = screen.At(column, row);
        text += QByteArray(1, static_cast<char>(cell.byte))
            + QByteArray::number(cell.attribute, 16).rightJustified(2, '0');
    }
    return text;
}

// SGR with bold count - 1 times, then red.
QByteArray Sgr(std::size_t count)
{
    QByteArray sgr = "\x1b[";
    for (std::size_t code = 1; code < count; ++code)
        sgr += "1;";
    return sgr + "31m";
}

// ANSI art, then the cells it draws on a row from a column on.
struct ArtRow {
    const char* what;
    QByteArray art;
    int row;
    int column;
    QByteArray cells; // byte, then attribute in hex, per cell
};

const ArtRow ArtRows[] = {
    { "plain", "ab", 0, 0, "a07b07" },
    { "colours in PC order", "\x1b[31;44mR\x1b[32mG", 0, 0, "R14G12" },
    { "bold, blink, reset", "\x1b[1;5;33mY\x1b[0mn", 0, 0, "Y8en07" },
    { "bright codes", "\x1b[94;101mB", 0, 0, "Bc9" },
    { "22 and 25 undo bold and blink", "\x1b[1;5;37m\x1b[22;25mw", 0, 0, "w07" },
    { "reverse", "\x1b[34;47;7mr\x1b[27ms", 0, 0, "r17s71" },
    { "defaults 39 and 49", "\x1b[1;31;42m\x1b[39;49mx", 0, 0, "x0f" },
    { "forward and back", "a\x1b[3Cb\x1b[2Dc", 0, 0, "a07 07 07c07b07" },
    { "position, 1-based", "\x1b[3;5Hx\x1b[1;1fy", 2, 4, "x07" },
    { "position then home", "\x1b[3;5Hx\x1b[Hy", 0, 0, "y07" },
    { "up and down", "\x1b[2Ba\x1b[Ab", 1, 1, "b07" },
    { "save and restore", "ab\x1b[s\x1b[5;1Hzz\x1b[uc", 0, 0, "a07b07c07" },
    { "line break and CR", "abc\r\nd\rX", 1, 0, "X07" },
    { "erase line to its end", "abcd\x1b[2D\x1b[44m\x1b[K", 0, 0, "a07b07 17 17" },
    { "erase screen", "ab\x1b[2Jc", 0, 0, "c07 07" },
    { "erase below: rows above stay", "ab\r\ncd\r\nef\x1b[2;2H\x1b[44m\x1b[J", 0, 0, "a07b07" },
    { "erase below: from the cursor", "ab\r\ncd\r\nef\x1b[2;2H\x1b[44m\x1b[J", 1, 0, "c07 17" },
    { "erase below: rows after", "ab\r\ncd\r\nef\x1b[2;2H\x1b[44m\x1b[J", 2, 0, " 17 17" },
    { "erase above: rows before", "ab\r\ncd\r\nef\x1b[2;1H\x1b[44m\x1b[1J", 0, 0, " 17 17" },
    { "erase above: to the cursor", "ab\r\ncd\r\nef\x1b[2;1H\x1b[44m\x1b[1J", 1, 0, " 17d07" },
    { "erase above: rows after stay", "ab\r\ncd\r\nef\x1b[2;1H\x1b[44m\x1b[1J", 2, 0, "e07f07" },
    { "drawn on after erasing all", "\x1b[3Bx\x1b[44m\x1b[2J\x1b[3Byz", 3, 0, "y17z17 17" },
    { "rows made after erasing all", "\x1b[44m\x1b[2J\x1b[5Bx", 3, 0, " 07" },
    { "erase all, then below", "\x1b[5B\x1b[44m\x1b[2J\x1b[41m\x1b[3B\x1b[J", 2, 0, " 17" },
    { "erase below after erasing all", "\x1b[5B\x1b[44m\x1b[2J\x1b[41m\x1b[3B\x1b[J", 5, 0, " 47" },
    { "erase above keeps the blank below", "\x1b[5B\x1b[44m\x1b[2J\x1b[3B\x1b[41m\x1b[1J", 4, 0, " 17" },
    { "erase above, its own blank", "\x1b[5B\x1b[44m\x1b[2J\x1b[3B\x1b[41m\x1b[1J", 2, 0, " 47" },
    { "wrap at 80", QByteArray(80, 'x') + "y", 1, 0, "y07" },
    { "0x1a ends the art",
        "ab\x1a"
        "cd",
        0, 0, "a07b07 07 07" },
    { "unknown sequences skipped", "\x1b[?7ha\x1b[=1Ab", 0, 0, "a07b07" },
    { "parameters up to the bound", Sgr(Limits::ArtParameters) + "x", 0, 0, "x0c" },
    { "parameters past the bound dropped", Sgr(Limits::ArtParameters + 1) + "x", 0, 0, "x0f" },
    { "erase line to the cursor, its cell too (1K)", "abcd\x1b[2D\x1b[44m\x1b[1K", 0, 0, " 17 17 17d07" },
    { "erase the whole line (2K)", "abcd\x1b[2D\x1b[44m\x1b[2K", 0, 0, " 17 17 17 17" },
    { "erased cells take the pen's background only", "\x1b[1;31;44mab\x1b[1D\x1b[K", 0, 0, "a1c 17" },
    { "tab to the next stop of 8", "a\tb", 0, 7, " 07b07" },
    { "tab stops at the last column", "\x1b[1;79H\tz", 0, 78, " 07z07" },
    { "forward stops at the last column", "\x1b[99Cz", 0, 79, "z07" },
    { "a column past the width stops at it", "\x1b[1;99Hz", 0, 79, "z07" },
    { "a position of only a row", "\x1b[3Hz", 2, 0, "z07" },
    { "up stops at the top", "\x1b[5Az", 0, 0, "z07" },
    { "back stops at column 1", "ab\x1b[9Dz", 0, 0, "z07b07" },
    { "restore without a save goes home", "ab\x1b[uc", 0, 0, "c07b07" },
    { "a control byte ends what looked like a sequence", "\x1b[1\nz", 1, 0, "z07" },
    { "the cut sequence draws nothing", "\x1b[1\nz", 0, 0, " 07" },
    { "an intermediate byte keeps a sequence going", "\x1b[ Aq", 0, 0, "q07" },
    { "ESC without [ is a cell",
        "\x1b"
        "X",
        0, 0,
        "\x1b"
        "07X07" },
    { "a sequence cut by the end of the file", "ab\x1b[3", 0, 0, "a07b07 07" },
    { "SGR without a number resets", "\x1b[1;31m\x1b[mx", 0, 0, "x07" },
    { "an empty parameter is 0, a reset", "\x1b[1;;31mx", 0, 0, "x04" },
};

TEST(AnsiArt, ReadsSequencesIntoCells)
{
    for (const ArtRow& row : ArtRows) {
        const Screen screen = ReadAnsiArt(row.art).RowsFrom(0);
        EXPECT_EQ(Cells(screen, row.row, row.column, row.cells.size() / 3), row.cells) << row.what;
    }
}

TEST(AnsiArt, ReadsSauceWidthAndCutsWideArt)
{
    QByteArray sauce = "SAUCE00" + QByteArray(35 + 20 + 20, ' ') + "20261208" + QByteArray(4, '\0');
    sauce += "\x01\x01";
    sauce += QByteArray("\xa0\x00\x32\x00", 4); // 160 x 50
    sauce += QByteArray(4, '\0') + QByteArray(1, '\0') + QByteArray(1, '\x01') + QByteArray(22, '\0');
    ASSERT_EQ(sauce.size(), 128);
    const AnsiArt art = ReadAnsiArt(QByteArray(100, 'a') + "\x1b[0m" + QByteArray(70, 'b') + '\x1a' + sauce);
    EXPECT_EQ(art.width, 160);
    EXPECT_TRUE(art.iceColours);
    EXPECT_TRUE(art.cut);
    ASSERT_EQ(art.rows.size(), 2u); // 170 cells at 160 a row
    EXPECT_EQ(art.rows[1][0].byte, 'b');
    EXPECT_EQ(art.rows[0][79].byte, 'a');

    QByteArray tall;
    for (int row = 0; row < 40; ++row)
        tall += QByteArray::number(row) + "\r\n";
    const AnsiArt long_ = ReadAnsiArt(tall);
    EXPECT_EQ(long_.rows.size(), 40u);
    EXPECT_EQ(long_.RowsFrom(15).At(0, 0).byte, '1');
    EXPECT_EQ(long_.RowsFrom(15).At(1, 0).byte, '5');
    EXPECT_EQ(ReadAnsiArt("\x1b[99999Bx").rows.size(), size_t(Limits::ArtRows));
}

// Erasing the whole art costs what erasing a row does: a huge move, then
// 5 MiB of erases of every row (ESC[2J, ESC[J, ESC[1J), reads at once,
// where erasing cell by cell took hours.
TEST(AnsiArt, ErasesManyRowsAtTheCostOfOne)
{
    QByteArray art = "\x1b[44m\x1b[99999Bz\x1b[H";
    for (int round = 0; round < 1 << 18; ++round)
        art += "\x1b[2J\x1b[4999B\x1b[J\x1b[1J";
    art += "\x1b[31mq";
    const AnsiArt read = ReadAnsiArt(art);
    ASSERT_EQ(read.rows.size(), size_t(Limits::ArtRows));
    EXPECT_EQ(read.rows[4999][0], (Cell { 'q', 0x14 }));
    EXPECT_EQ(read.rows[4999][1], (Cell { ' ', 0x17 }));
    EXPECT_EQ(read.rows[0][79], (Cell { ' ', 0x17 }));
}

TEST(AnsiArt, ExportThenImportGivesTheScreen)
{
    std::mt19937 random(7);
    for (int round = 0; round < 100; ++round) {
        Screen screen = RandomScreen(random, true);
        for (Cell& cell : screen.cells) {
            if (QByteArrayView("\r\n\x1a\x1b\t").contains(static_cast<char>(cell.byte)))
                cell.byte = '.';
        }
        const QByteArray art = WriteAnsiArt(screen);
        const AnsiArt read = ReadAnsiArt(art);
        EXPECT_EQ(read.RowsFrom(0), screen) << "round " << round;
        EXPECT_LE(read.rows.size(), 26u);
        const bool bright = std::any_of(
            screen.cells.begin(), screen.cells.end(), [](const Cell& cell) { return cell.attribute & 0x80; });
        EXPECT_EQ(read.iceColours, bright);
        EXPECT_FALSE(read.cut);
    }
}

// ansilove, which knows .ans independently of us, draws an exported screen
// with the colours of every cell where they belong; -S: as its SAUCE says,
// iCE colours included.
TEST(AnsiArt, AnsiloveDrawsTheExport)
{
    const QString ansilove = QStandardPaths::findExecutable(QStringLiteral("ansilove"));
    REQUIRE_SHARED(!ansilove.isEmpty(), "ansilove (Debian package ansilove)");
    std::mt19937 random(11);
    Screen screen = RandomScreen(random, false);
    screen.At(79, 24) = {};
    QTemporaryDir work;
    QFile art(work.filePath(QStringLiteral("art.ans")));
    ASSERT_TRUE(art.open(QIODevice::WriteOnly));
    art.write(WriteAnsiArt(screen));
    art.close();
    const QString png = work.filePath(QStringLiteral("art.png"));
    ASSERT_EQ(QProcess::execute(
                  ansilove, { QStringLiteral("-q"), QStringLiteral("-S"), QStringLiteral("-o"), png, art.fileName() }),
        0);
    const QImage image(png);
    ASSERT_GE(image.height(), 25 * 16);
    const int cellWidth = image.width() / Screen::Columns;
    // VGA levels: a colour's channels are 00, 55, AA or FF.
    const auto level = [](int value) { return (value + 0x2a) / 0x55; };
    const auto vga = [](int digit, int channel) {
        static constexpr int rgb[16][3] = { { 0, 0, 0 }, { 0, 0, 2 }, { 0, 2, 0 }, { 0, 2, 2 }, { 2, 0, 0 },
            { 2, 0, 2 }, { 2, 1, 0 }, { 2, 2, 2 }, { 1, 1, 1 }, { 1, 1, 3 }, { 1, 3, 1 }, { 1, 3, 3 }, { 3, 1, 1 },
            { 3, 1, 3 }, { 3, 3, 1 }, { 3, 3, 3 } };
        return rgb[digit][channel];
    };
    int wrong = 0;
    for (int row = 0; row < Screen::Rows; ++row) {
        for (int column = 0; column < Screen::Columns; ++column) {
            const Cell& cell = screen.At(column, row);
            if (cell.byte != ' ' && cell.byte != 0xFF && cell.byte != 0xDB)
                continue; // a glyph's dots cover the centre; blanks show the background
            const int digit = cell.byte == 0xDB ? cell.attribute & 0x0F : cell.attribute >> 4;
            const QColor centre = image.pixelColor(column * cellWidth + cellWidth / 2, row * 16 + 8);
            const int seen[3] = { level(centre.red()), level(centre.green()), level(centre.blue()) };
            for (int channel = 0; channel < 3; ++channel) {
                if (seen[channel] != vga(digit, channel) && wrong++ < 5)
                    ADD_FAILURE() << "cell " << column << "," << row << " digit " << digit;
            }
        }
    }
}

}
