#include "lint/Linter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// "line:column severity code" of each problem.
std::vector<std::string> Found(const QByteArray& bytes, const QString& folder = {})
{
    std::vector<std::string> found;
    for (const Problem& problem : LintDisplayFile(bytes, folder))
        found.push_back(QStringLiteral("%1:%2 %3 %4")
                            .arg(problem.line)
                            .arg(problem.column)
                            .arg(SeverityName(problem.severity), problem.code)
                            .toStdString());
    return found;
}

using Problems = std::vector<std::string>;

TEST(LinterTest, ReportsEachCodeWhereItIs)
{
    const QByteArray wide = QByteArray(81, 'x');
    const QByteArray fitsWithCommands = "\x0f"
                                        "1e"
        + QByteArray(80, 'x');
    QByteArray scrolling;
    for (int row = 0; row < 25; ++row)
        scrolling += "row\r\n";
    struct Case {
        QByteArray bytes;
        Problems problems;
    };
    const Case cases[] = {
        { "plain text\r\n", {} },
        { "ab\x0f"
          "1",
            { "1:3 error colour-digit" } },
        { "\r\n\x0f"
          "x1z",
            { "2:1 error colour-digit" } },
        { "\x0f"
          "1E\x0f"
          "c7",
            { "1:3 note upper-case-digit", "1:5 note blink" } },
        { wide, { "1:81 warning wide-line" } },
        { fitsWithCommands, {} },
        { "a\tb" + QByteArray(73, 'x'), { "1:75 warning wide-line" } },
        { scrolling, { "25:5 warning scrolls" } },
        { "\x0c" + scrolling.left(24 * 5) + "\x0c" + scrolling.left(24 * 5), {} },
        { "end\x1a\r\n", {} },
        { "end\x1amore", { "1:5 warning after-end" } },
        { "\xff"
          "more",
            { "1:2 warning after-end" } },
        { "\x14serial\x11shown", { "1:2 warning hidden-text" } },
        { "a\x1b"
          "b\x0e"
          "c",
            { "1:2 warning reset-sequence", "1:4 warning line-drawing" } },
        { QByteArray("x\0y", 3), { "1:2 warning nul" } },
        { "\x18logo.lss\r\nx\ry\nz\x01", { "1:1 error missing-image", "4:2 warning reset-sequence" } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(Found(c.bytes), c.problems) << c.bytes.toHex(' ').toStdString();
}

TEST(LinterTest, LooksForImagesBesideTheDocument)
{
    QTemporaryDir folder;
    QFile good(folder.filePath(QStringLiteral("good.lss")));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly));
    good.write(QByteArray("\x3d\xf3\x13\x14\x10\x00\x08\x00", 8) + QByteArray(48, '\x3f'));
    good.close();
    QFile bad(folder.filePath(QStringLiteral("bad.lss")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(64, 'P'));
    bad.close();
    const QByteArray text = "\x18good.lss\r\n\x18 bad.lss \r\n\x18gone.lss\n";
    EXPECT_EQ(Found(text, folder.path()), (Problems { "2:1 error not-lss16", "3:1 error missing-image" }));
    EXPECT_EQ(Found("\x18good.lss\n"), (Problems { "1:1 error missing-image" })); // never saved
}

TEST(LinterTest, OffsetsCountTheBytesAsGiven)
{
    const std::vector<Problem> problems = LintDisplayFile("a\nb\r\n\x0e", {});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 3);
    EXPECT_EQ(problems[0].column, 1);
    EXPECT_EQ(problems[0].offset, 5);
}

}
