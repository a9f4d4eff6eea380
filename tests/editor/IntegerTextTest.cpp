#include "editor/window/IntegerText.h"
#include "editor/document/EditorErrors.h"

#include <gtest/gtest.h>

TEST(IntegerText, ConvertsAsTheDesktopDoes)
{
    const std::pair<const char*, std::optional<std::int32_t>> cases[] = {
        { "65", 65 },
        { " 65", 65 },
        { "  +7", 7 },
        { "-1", -1 },
        { "$41", 65 },
        { "x41", 65 },
        { "X41", 65 },
        { "0x41", 65 },
        { "0X1f", 31 },
        { "$fF", 255 },
        { "-$10", -16 },
        { "2147483647", 2147483647 },
        { "-2147483648", INT32_MIN },
        { "007", 7 },
        { "", std::nullopt },
        { " ", std::nullopt },
        { "6a", std::nullopt },
        { "65 ", std::nullopt },
        { "abc", std::nullopt },
        { "$", std::nullopt },
        { "0x", std::nullopt },
        { "--1", std::nullopt },
        { "2147483648", std::nullopt },
        { "1.5", std::nullopt },
        { "$g", std::nullopt },
        { "٣", std::nullopt },
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ParseInteger(QString::fromUtf8(text)), expected) << text;
}

TEST(IntegerText, FailureNamesTheTextUnchanged)
{
    try {
        StrToInt(QStringLiteral(" 6a"));
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "' 6a' is not a valid integer value");
    }
}
