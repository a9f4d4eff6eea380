#include "format/DisplayFile.h"

#include <gtest/gtest.h>

TEST(DisplayFile, LineBreaksBecomeCrLf)
{
    const std::pair<QByteArray, QByteArray> cases[] = {
        { "A\nB", "A\r\nB" },
        { "A\r\nB\r\n", "A\r\nB\r\n" },
        { "A\rB", "A\r\nB" },
        { "\n\r", "\r\n\r\n" },
        { "\r\r\n", "\r\n\r\n" },
        { "a\n\n", "a\r\n\r\n" },
        { "", "" },
        { "\x0f"
          "1eX",
            "\x0f"
            "1eX" },
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(DisplayFile::NormaliseLineBreaks(input), expected) << input.toHex().constData();
}
