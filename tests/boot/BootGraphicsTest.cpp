// The 3.x/4.x core's graphics mode where no recording reaches: images of
// other heights, XOR text, scrolling (4.05 core/graphics.inc .movecursor,
// core/conio.inc msg_normal and msg_scroll, int 10h in mode 0x12).
#include "boot/BootGraphics.h"
#include "FakeMeasurer.h"
#include "boot/BootRendering.h"
#include "console/ColorConsole.h"

#include <gtest/gtest.h>

TEST(BootGraphicsTest, TheCoreWritesOverItsImageAsTheBiosDoes)
{
    const struct {
        int height; // of an image all colour 1, 16 pixels wide
        const char* file; // after its 0x18 line
        std::pair<int, int> cursor;
        int x, y, colour; // one pixel's colour number
    } cases[] = {
        { 17, "", { 0, 2 }, 0, 16, 1 }, // the cursor on the first row wholly below the image
        { 480, "", { 0, 29 }, 15, 479, 1 }, // ... and on the last row at most
        { 480,
            "\x0f"
            "87a",
            { 1, 29 }, 0, 464, 1 ^ 7 }, // bit 7: the dots XORed in
        { 480,
            "\x0f"
            "87a",
            { 1, 29 }, 7, 464, 1 }, // ... the rest of the cell kept
        { 480,
            "\x0f"
            "07a",
            { 1, 29 }, 7, 464, 0 }, // else colour 0 behind the dots
        { 480,
            "\x0f"
            "17\n",
            { 0, 29 }, 0, 479, 0 }, // a scroll fills with 00 whatever the colour
        { 480,
            "\x0f"
            "07a\n",
            { 0, 29 }, 0, 448, 7 }, // ... the screen moved up a row
        { 16,
            "\x0f"
            "1e\x0c",
            { 0, 0 }, 9, 100, 0xe }, // 0x0C fills with the colour's low digit
    };
    PcFont font { .height = 16, .rows = std::vector<std::uint8_t>(256 * 16, 0xF0) }; // the left four dots
    for (const auto& test : cases) {
        BootGraphics graphics { .open = [](const QByteArray& name) { return std::optional(name); },
            .decode =
                [&](QByteArrayView) {
                    return std::optional(GraphicsImage { .width = 16,
                        .height = test.height,
                        .indexes = std::vector<std::uint8_t>(16 * static_cast<std::size_t>(test.height), 1),
                        .dac = {} });
                },
            .font = font,
            .screen = {} };
        FakeMeasurer measurer;
        TColorConsole console(measurer);
        RenderBootScreen(console, QByteArray("\x18pic.lss\n") + test.file, { .core = true, .graphics = &graphics });
        ASSERT_TRUE(graphics.screen) << test.file;
        EXPECT_EQ(std::pair(graphics.screen->column, graphics.screen->row), test.cursor) << test.height << test.file;
        EXPECT_EQ(graphics.screen->At(test.x, test.y), test.colour) << test.height << " " << test.file;
    }
}
