#include "editor/document/CaretCoordinates.h"

#include <QList>

#include <gtest/gtest.h>

TEST(CaretCoordinates, ColourCommandsTakeNoRoomOnTheScreen)
{
    struct Case {
        QByteArray line;
        int before;
        const char* caption;
    };
    const Case cases[] = {
        { "", 0, "X: 1 (1)" },
        { "Hello", 5, "X: 6 (6)" },
        { "AB\x0f"
          "1eCD",
            7, "X: 5 (8)" },
        { "AB\x0f"
          "1eCD",
            3, "X: 3 (4)" },
        { "AB\x0f"
          "1eCD",
            4, "X: 3 (5)" },
        { "AB\x0f"
          "1eCD",
            5, "X: 3 (6)" },
        { "\x0f"
          "07Hi",
            5, "X: 5 (6)" },
        { "A\x0f"
          "07B",
            5, "X: 4 (6)" },
        { "\x0f"
          "07\x0f"
          "1e",
            6, "X: 3 (7)" },
        { "\x0cHi", 3, "X: 4 (4)" },
        { "\x18logo\x19", 6, "X: 7 (7)" },
    };
    for (const Case& test : cases)
        EXPECT_EQ(ColumnCaption(ColumnsOf(test.line, test.before)), test.caption) << test.line.toHex().constData();
}

TEST(CaretCoordinates, EveryWindowExaminedIsReported)
{
    QList<QByteArray> windows;
    ColumnsOf("abcdef", 5, [&](const QByteArray& window) { windows.append(window); });
    EXPECT_EQ(windows, (QList<QByteArray> { "abc", "bcd", "cde" }));
    EXPECT_EQ(LineCaption(2), "Y: 2");
}
