// A configuration's line breaks, kept line by line through edits.
#include "editor/document/LineBreaks.h"

#include <gtest/gtest.h>

namespace {

using LineBreaks::Kind;

TEST(LineBreaks, EachLineKeepsItsOwnBreakThroughAnEdit)
{
    struct Case {
        const char* why;
        QByteArray file;
        QByteArray document; // as the editor holds it: CR LF everywhere
        QByteArray saved;
    };
    const Case cases[] = {
        { "LF, a line edited", "a\nb\nc\n", "a\r\nB\r\nc\r\nd", "a\nB\nc\nd" },
        { "CR LF stays", "a\r\nb\r\n", "a\r\nb\r\nc\r\n", "a\r\nb\r\nc\r\n" },
        { "lone CR", "a\rb", "a\r\nb\r\nc", "a\rb\rc" },
        { "no break yet: CR LF, as typing gives", "abc", "abc\r\ndef", "abc\r\ndef" },
        { "LF CR is two breaks", "a\n\rb", "a\r\n\r\nb", "a\n\rb" },
        { "mixed, unchanged", "a\r\nb\nc\rd", "a\r\nb\r\nc\r\nd", "a\r\nb\nc\rd" },
        { "mixed, a line edited", "a\r\nb\nc\r\n", "a\r\nB\r\nc\r\n", "a\r\nB\nc\r\n" },
        { "mixed, a line inserted takes the break before", "a\r\nb\nc\r\n", "a\r\nb\r\nnew\r\nc\r\n",
            "a\r\nb\nnew\nc\r\n" },
        { "mixed, a line deleted", "a\r\nb\nc\r\n", "a\r\nc\r\n", "a\r\nc\r\n" },
        { "mixed, both ends edited", "x\r\nkeep1\nkeep2\r\nkeep3\ny\n", "X\r\nnew\r\nkeep1\r\nkeep2\r\nkeep3\r\nY\r\n",
            "X\r\nnew\r\nkeep1\nkeep2\r\nkeep3\nY\n" },
        { "mixed, a moved line is a new one", "a\nb\r\nc\n", "b\r\na\r\nc\r\n", "b\r\na\r\nc\n" },
        { "mixed, a line after the last", "a\nb\r\nc", "a\r\nb\r\nc\r\nd", "a\nb\r\nc\r\nd" },
        { "mixed, an edit before the first break: the most common", "a\r\nb\nc\n", "new\r\na\r\nb\r\nc\r\n",
            "new\na\r\nb\nc\n" },
        { "mixed, Enter at a line's start", "a\r\nb\nc\r\n", "a\r\nnew\r\nxb\r\nc\r\n", "a\r\nnew\r\nxb\nc\r\n" },
        { "mixed, Enter at a line's end", "a\r\nb\nc\r\n", "a\r\nbx\r\nnew\r\nc\r\n", "a\r\nbx\nnew\nc\r\n" },
        { "mixed, two lines rewritten keep theirs in order", "a\r\nb\nc\r\nd\n", "a\r\nB\r\nC\r\nd\r\n",
            "a\r\nB\nC\r\nd\n" },
        { "a CR byte in the text stays text", "a\nb\r\n", "a\r\nb\r\r\n", "a\nb\r\r\n" },
    };
    for (const Case& test : cases)
        EXPECT_EQ(LineBreaks::Restore(test.file, test.document), test.saved) << test.why;
}

TEST(LineBreaks, KindsOfFiles)
{
    const std::pair<QByteArray, Kind> cases[] = {
        { "", Kind::None },
        { "one line", Kind::None },
        { "a\nb", Kind::Lf },
        { "a\r\nb\r\n", Kind::CrLf },
        { "a\rb", Kind::Cr },
        { "a\r\nb\n", Kind::Mixed },
        { "a\n\r", Kind::Mixed },
    };
    for (const auto& [file, kind] : cases)
        EXPECT_EQ(LineBreaks::KindOf(file), kind) << file.toHex().constData();
}

// Past the matching bound a long mixed file is paired in order: still
// every line kept when the edit keeps the line count, and quickly.
TEST(LineBreaks, ALongMixedFileIsPairedInOrder)
{
    QByteArray file, document, expected;
    for (int line = 0; line < 4000; ++line) {
        const QByteArray text = QByteArray::number(line);
        file += text + (line % 3 ? "\n" : "\r\n");
        const QByteArray edited = line == 0 || line == 3999 ? "edited" : text;
        document += edited + "\r\n";
        expected += edited + (line % 3 ? "\n" : "\r\n");
    }
    EXPECT_EQ(LineBreaks::Restore(file, document), expected);
}

}
