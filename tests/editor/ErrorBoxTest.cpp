#include "common/ErrorBox.h"

#include <gtest/gtest.h>

TEST(ErrorBox, FullStopOnlyAfterCharactersBeyondTheFullStop)
{
    const std::pair<const char*, const char*> cases[] = {
        { "Text exceeds memo capacity", "Text exceeds memo capacity." },
        { "'abc' is not a valid integer value", "'abc' is not a valid integer value." },
        { "ends in a bracket (x)", "ends in a bracket (x)" },
        { "already ends.", "already ends." },
        { "a comma,", "a comma," },
        { "a slash/", "a slash/." },
        { "", "" },
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(ErrorBoxText(QString::fromLatin1(message)).toStdString(), shown);
}
