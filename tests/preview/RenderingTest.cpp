#include "preview/Rendering.h"
#include "ConsoleInvariants.h"
#include "FakeMeasurer.h"
#include "Rows.h"
#include "SharedMaterial.h"
#include "boot/BootRendering.h"
#include "console/ColorConsole.h"
#include "console/ConsoleSinks.h"
#include "console/ScreenMap.h"
#include "format/ByteReader.h"
#include "format/Palette.h"
#include "preview/PreviewConsole.h"
#include "preview/ScreenSnapshot.h"

#include <gtest/gtest.h>

#include <QFile>

#include <random>
#include <string>
#include <tuple>

namespace {

class RenderingTest : public ::testing::Test {
protected:
    ScreenSnapshot Render(const QByteArray& text)
    {
        ConsoleSink sink(console);
        RenderDisplayFile(console, text, sink);
        EXPECT_EQ(AttributeInvariantViolation(console), "");
        return ScreenSnapshot::Of(console);
    }

    static std::string Row(const ScreenSnapshot& screen, int row) { return Trimmed(screen.bytes[row]); }

    PreviewScreen<FakeMeasurer> preview;
    TColorConsole& console = preview.console;
};

struct Cell {
    int column, row;
    char foreground, background;
};

struct Case {
    const char* name;
    QByteArray text;
    std::vector<std::string> rows;
    std::vector<Cell> cells;
};

}

TEST_F(RenderingTest, RendersAsTheBootLoaderShows)
{
    const Case cases[] = {
        { "empty", "", {}, { { 0, 0, '7', '0' }, { 79, 24, '7', '0' } } },
        { "plain text", "Hello", { "Hello" }, { { 0, 0, '7', '0' }, { 4, 0, '7', '0' } } },
        { "colour command",
            "\x0f"
            "1eHi",
            { "Hi" }, { { 0, 0, 'e', '1' }, { 1, 0, 'e', '1' }, { 2, 0, '7', '0' } } },
        { "clear screen is not obeyed", "\x0cHello", { "Hello" }, {} },
        { "graphics off is not obeyed",
            "A\x19"
            "B",
            { "AB" }, {} },
        { "command in the foreground place",
            "\x0f"
            "0\x0f"
            "17X",
            { "X" }, { { 0, 0, '7', '1' } } },
        { "command in the background place",
            "\x0f\x0f"
            "17X",
            { "7X" }, { { 0, 0, '1', '0' }, { 1, 0, '1', '0' } } },
        { "image line on its own line", "AB\r\n\x18splash.lss\r\nCD", { "AB", "CD" }, {} },
        { "image line after text joins the lines", "AB\x18splash.lss\r\nCD", { "ABCD" }, {} },
        { "image line first", "\x18logo.16\r\nHi\r\nthere", { "Hi", "there" }, {} },
        { "image line without LF runs to the end", "Hi\r\n\x18logo.16", { "Hi" }, {} },
        { "image line after colours",
            "\x0f"
            "1eHi\r\n\x18x.lss\r\n",
            { "Hi" }, { { 0, 0, 'e', '1' } } },
        { "bright background is not blinking",
            "\x0f"
            "c7X",
            { "X" }, { { 0, 0, '7', 'c' } } },
        { "capital letters are no digits",
            "\x0f"
            "A1x",
            { "x" }, { { 0, 0, '1', '0' } } },
        { "other control bytes are hidden",
            "a\x10\x11\x1a\x1b"
            "b",
            { "ab" }, {} },
        { "80 columns then a line break leave an empty row", QByteArray(80, '=') + "\r\nnext",
            { std::string(80, '='), "", "next" }, {} },
        { "lone LF moves down in the same column", "ab\ncd", { "ab", "  cd" }, {} },
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const ScreenSnapshot screen = Render(test.text);
        for (int row = 0; row < 25; ++row)
            EXPECT_EQ(Row(screen, row), row < static_cast<int>(test.rows.size()) ? test.rows[row] : "") << row;
        for (const Cell& cell : test.cells) {
            EXPECT_EQ(screen.foreground[cell.row][cell.column], cell.foreground) << cell.column << "," << cell.row;
            EXPECT_EQ(screen.background[cell.row][cell.column], cell.background) << cell.column << "," << cell.row;
        }
    }
}

TEST_F(RenderingTest, TextStartsTopLeftAndEachByteIsWrittenOnce)
{
    const ScreenSnapshot screen = Render("A");
    EXPECT_EQ(Row(screen, 0), "A");
    EXPECT_EQ(screen.cursorColumn, 1);
    EXPECT_EQ(screen.cursorRow, 0);
}

TEST_F(RenderingTest, TheLastCommandsColoursStayForTheNextClear)
{
    Render("\x0f"
           "1eHi");
    EXPECT_EQ(console.Font().BkColor(), Palette[1]);
    const ScreenSnapshot screen = Render("X");
    EXPECT_EQ(screen.background[10][10], '1') << "cleared in the previous rendering's background";
    EXPECT_EQ(screen.foreground[0][0], '7');
    EXPECT_EQ(screen.background[0][0], '0');
}

TEST_F(RenderingTest, FirstRenderingClearsInBlack)
{
    const ScreenSnapshot screen = Render("X");
    EXPECT_EQ(screen.background[24][79], '0');
}

TEST_F(RenderingTest, TextEndingInACommandLeavesTheDefaultColours)
{
    Render("\x0f"
           "1eHi\x0f");
    EXPECT_EQ(console.Font().Color(), Palette[7]);
    EXPECT_EQ(console.Font().BkColor(), Palette[0]);
}

TEST_F(RenderingTest, MoreThanTwentyFiveRowsScrollToTheLastOnes)
{
    QByteArray text;
    for (int line = 0; line < 40; ++line)
        text += "line " + QByteArray::number(line) + "\r\n";
    text += "end";
    const ScreenSnapshot screen = Render(text);
    EXPECT_EQ(Row(screen, 0), "line 16");
    EXPECT_EQ(Row(screen, 23), "line 39");
    EXPECT_EQ(Row(screen, 24), "end");
}

TEST_F(RenderingTest, TextsBeyondSixtyFourKibibytesRenderToTheirEnd)
{
    for (qsizetype length : { 65535, 65536, 70000 }) {
        QByteArray text;
        while (text.size() < length - 5)
            text += "\x0f"
                    "2aabcdefgh\r\n";
        text.truncate(length - 5);
        text += "\r\nEND";
        text = text.right(length);
        ASSERT_EQ(text.size(), length);
        const ScreenSnapshot screen = Render(text);
        EXPECT_EQ(Row(screen, 24), "END") << length;
    }
}

TEST_F(RenderingTest, StripImageLinesRemovesFromMarkerThroughLineFeed)
{
    EXPECT_EQ(StripImageLines("a\x18x\r\nb\x18y\nc\x18z"), QByteArray("abc"));
    EXPECT_EQ(StripImageLines("no images"), QByteArray("no images"));
    EXPECT_EQ(StripImageLines("\x18\n\x18\n"), QByteArray());
}

TEST_F(RenderingTest, JsonAndAnsiDescribeTheScreen)
{
    const ScreenSnapshot screen = Render("\x0f"
                                         "1eA\xc9");
    const QByteArray json = screen.ToJson();
    EXPECT_TRUE(json.startsWith("{\"bg\":[\"11"));
    EXPECT_TRUE(json.contains("\"bytes\":[\"41c92020"));
    EXPECT_TRUE(json.contains("\"cursor\":[2,0]"));
    EXPECT_TRUE(json.contains("\"fg\":[\"ee7"));
    EXPECT_TRUE(json.contains(QString::fromUtf8("\"text\":[\"A╔  ").toUtf8()));
    const QByteArray ansi = screen.ToAnsi();
    EXPECT_TRUE(ansi.startsWith("\x1b[38;2;255;255;85;48;2;0;0;170mA"));
    EXPECT_TRUE(ansi.contains(QString::fromUtf8("A╔\x1b[38;2;170;170;170;48;2;0;0;0m").toUtf8()));
    EXPECT_EQ(ansi.count('\n'), 25);
    EXPECT_TRUE(ansi.endsWith("\x1b[0m\n"));
}

namespace {

std::optional<CellPair> At(int column, int row) { return CellPair { column, row }; }

TEST_F(RenderingTest, MapsEachByteToItsCellAndEachCellToItsByte)
{
    ScreenMap map;
    ConsoleSink sink(console);
    // Offsets: the command 0-2, A 3, B 4, CR LF 5-6, x 7-91 (wrapping after
    // 80), CR LF 92-93, an image line 94-99, C 100, the end 101.
    const QByteArray text = "\x0f"
                            "1eAB\r\n"
        + QByteArray(85, 'x') + "\r\n\x18img\r\nC";
    RenderDisplayFile(console, text, sink, &map);
    const std::pair<qsizetype, std::optional<CellPair>> cells[]
        = { { 0, At(0, 0) }, { 3, At(0, 0) }, { 4, At(1, 0) }, { 5, At(2, 0) }, { 86, At(79, 1) }, { 87, At(0, 2) },
              { 94, At(0, 3) }, { 100, At(0, 3) }, { 101, At(1, 3) }, { 102, std::nullopt } };
    for (const auto& [offset, cell] : cells)
        EXPECT_EQ(map.CellOf(offset), cell) << offset;
    const std::pair<CellPair, std::optional<qsizetype>> offsets[] = { { { 1, 0 }, 4 }, { { 10, 0 }, 5 },
        { { 0, 2 }, 87 }, { { 0, 3 }, 100 }, { { 79, 3 }, 101 }, { { 5, 10 }, std::nullopt } };
    for (const auto& [cell, offset] : offsets)
        EXPECT_EQ(map.OffsetAt(cell), offset) << cell.x << "," << cell.y;
}

TEST_F(RenderingTest, BytesScrolledOffOrClearedHaveNoCell)
{
    ScreenMap map;
    QByteArray text;
    for (int line = 0; line < 30; ++line)
        text += "ab\r\n";
    ConsoleSink sink(console);
    RenderDisplayFile(console, text, sink, &map);
    EXPECT_EQ(map.CellOf(0), std::nullopt);
    EXPECT_EQ(map.CellOf(4 * 29 + 1), At(1, 23));
    EXPECT_EQ(map.OffsetAt({ 1, 23 }), 4 * 29 + 1);

    RenderBootScreen(console,
        "old\x0c\x0f"
        "1EC\r\nD",
        { .prompt = true }, &map);
    EXPECT_EQ(map.CellOf(0), std::nullopt);
    EXPECT_EQ(map.CellOf(3), At(0, 0)); // the clear
    EXPECT_EQ(map.CellOf(7), At(0, 0)); // C, after the command
    EXPECT_EQ(map.OffsetAt({ 0, 1 }), 10); // D
    EXPECT_EQ(map.CellOf(11), At(1, 1)); // the end, before the prompt
}

}

// The editor's highlighting reads bytes by the preview's rule set; the
// preview draws them by its scan. Both must give every shown byte the same
// colours, for real files and for bytes chosen to stress commands.
TEST_F(RenderingTest, TheScanAndThePreviewRuleSetAgreeOnEveryColour)
{
    using Shown = std::vector<std::tuple<char, TColor, TColor>>;
    class Recorder : public ByteSink {
    public:
        Recorder(TColorConsole& console, Shown& shown)
            : m_font(console.Font())
            , m_shown(shown)
        {
        }
        void Write(std::string_view bytes) override
        {
            for (const char byte : bytes) {
                if (static_cast<unsigned char>(byte) >= 0x20)
                    m_shown.emplace_back(byte, m_font.Color(), m_font.BkColor());
            }
        }

    private:
        const TFixedFont& m_font;
        Shown& m_shown;
    };
    const auto compare = [&](const QByteArray& bytes, const std::string& what) {
        Shown scanned, read;
        Recorder recorder(console, scanned);
        RenderDisplayFile(console, bytes, recorder);
        ByteReader reader(ScreenRules::Preview);
        for (const char byte : bytes) {
            if (reader.Read(byte) == ByteRole::Text)
                read.emplace_back(byte, Palette[reader.State().foreground], Palette[reader.State().background]);
        }
        EXPECT_EQ(scanned, read) << what;
    };
    const std::vector<QString> files = SharedDisplayFiles();
    REQUIRE_SHARED(!files.empty(), "shared display files");
    for (const QString& path : files) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        compare(file.readAll(), path.toStdString());
    }
    std::mt19937 random(20261208);
    const QByteArray alphabet("\x0f\x0f\x0f\x18\n\r\x0c 01789aefAFgx\xdb", 20);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(static_cast<qsizetype>(random() % 40), '\0');
        for (char& byte : bytes)
            byte = alphabet[static_cast<qsizetype>(random() % alphabet.size())];
        compare(bytes, bytes.toHex(' ').toStdString());
    }
}
