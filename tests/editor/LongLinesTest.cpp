#include "EditScript.h"
#include "EditorFixture.h"

#include <QClipboard>
#include <QTest>
#include <QTextBlock>

#include <random>

namespace {

class LongLinesTest : public EditorFixture {
protected:
    void Key(Qt::Key key) { QTest::keyClick(Editor, key); }
    void CaretTo(int position)
    {
        QTextCursor caret = Editor->textCursor();
        caret.setPosition(position);
        Editor->setTextCursor(caret);
    }
};

const QByteArray Long = QByteArray(1500, 'x') + QByteArray(1500, 'y');

TEST_F(LongLinesTest, LongLinesArePiecesThatGiveBackTheirBytes)
{
    const std::pair<QByteArray, int> texts[]
        = { { Long, 3 }, { "a\r\n" + QByteArray(2048, '\xff') + "\r\n" + QByteArray(1024, '\0') + "\r\nb", 5 },
              { QByteArray(1023, 'z') + "\r\n\r\n", 3 } };
    for (const auto& [text, blocks] : texts) {
        Editor->SetBytes(text);
        EXPECT_EQ(Bytes(), text);
        EXPECT_EQ(Editor->document()->blockCount(), blocks);
        for (QTextBlock block = Editor->document()->firstBlock(); block.isValid(); block = block.next())
            EXPECT_LE(block.length() - 1, 1024);
        for (qsizetype offset : { qsizetype(0), qsizetype(1025), text.size() / 2, text.size() })
            EXPECT_EQ(Editor->ByteOffsetOf(Editor->PositionOfByte(offset)), offset) << offset;
    }
}

TEST_F(LongLinesTest, EditsAtAndAcrossTheJoinsChangeOnlyTheBytesMeant)
{
    Editor->SetBytes(Long); // joins after characters 1024 and 2048
    CaretTo(1025); // the start of the second piece: after byte 1024
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Bytes(), QByteArray(1499, 'x') + QByteArray(1500, 'y'));
    Key(Qt::Key_Return);
    EXPECT_EQ(Bytes(), QByteArray(1023, 'x') + "\r\n" + QByteArray(476, 'x') + QByteArray(1500, 'y'));
    Editor->undo();
    Editor->undo();
    EXPECT_EQ(Bytes(), Long);

    CaretTo(1024); // the end of the first piece
    Key(Qt::Key_Delete);
    EXPECT_EQ(Bytes(), QByteArray(1024, 'x') + QByteArray(475, 'x') + QByteArray(1500, 'y'));
    Editor->undo();

    Select(1000, 1100); // across the first join
    Editor->copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString(99, u'x'));
    Editor->Cut();
    Editor->undo();
    EXPECT_EQ(Bytes(), Long);

    Select(1, 1030);
    Key(Qt::Key_Return); // over a selection across a join
    EXPECT_EQ(Bytes(), "x\r\n" + QByteArray(471, 'x') + QByteArray(1500, 'y'));

    QApplication::clipboard()->setText(QString(2000, u'p') + QStringLiteral("\nq"));
    SetDocument("ab", 1);
    Editor->paste();
    EXPECT_EQ(Bytes(), "a" + QByteArray(2000, 'p') + "\r\nqb");
}

}

namespace {

// A selection that starts where a line starts, after a line broken into
// pieces; one from a join to the next line; Enter and Backspace at a join.
TEST_F(LongLinesTest, SelectionsAtJoinsRemoveExactlyTheirBytes)
{
    const QByteArray start = "short\r\n" + QByteArray(1500, 'a') + "\r\n" + QByteArray(1500, 'b');
    // Blocks: "short" at 0, a-pieces at 6 and 1031, b-pieces at 1508 and 2533;
    // positions 1031 and 1508 are bytes 1031 and 1509.
    const std::function<void()> edits[] = { [&] { Key(Qt::Key_Delete); }, [&] { Key(Qt::Key_Backspace); },
        [&] { QTest::keyClick(Editor, Qt::Key_X, Qt::ControlModifier); }, [&] { QTest::keyClicks(Editor, "z"); },
        [&] {
            QApplication::clipboard()->setText("z");
            Editor->paste();
        } };
    for (std::size_t edit = 0; edit < std::size(edits); ++edit) {
        const QByteArray typed = edit >= 3 ? "z" : "";
        Editor->SetBytes(start);
        Select(1508, 1600); // the start of the b line, after the a line's join
        edits[edit]();
        EXPECT_TRUE(Bytes() == start.left(1509) + typed + start.mid(1601)) << edit;
        Editor->SetBytes(start);
        Select(1031, 1508); // from the a line's join to the b line's start
        edits[edit]();
        EXPECT_TRUE(Bytes() == start.left(1031) + typed + start.mid(1509)) << edit;
    }
    Editor->SetBytes(start);
    CaretTo(1031);
    Key(Qt::Key_Return);
    Key(Qt::Key_Backspace);
    EXPECT_TRUE(Bytes() == start);
}

// Random edit scripts on documents with lines of 0 to 5000 bytes: after
// every step the document's bytes are those of the same edits made on a
// plain byte string.
TEST_F(LongLinesTest, RandomEditsMatchAByteModel)
{
    std::mt19937 random(20261208);
    for (int script = 0; script < 80; ++script) {
        QByteArray start;
        const int lines = 1 + static_cast<int>(random() % 4);
        for (int line = 0; line < lines; ++line) {
            const int length = static_cast<int>(random() % 3 == 0 ? random() % 5001 : random() % 1100);
            start += QByteArray(length, static_cast<char>('A' + line)) + (line + 1 < lines ? "\r\n" : "");
        }
        EditScript edits(*Editor, start);
        for (int step = 0; step < 60; ++step) {
            // Selections mostly start or end near a join, where faults hide.
            const auto near = [&] { return random() % 2 ? random() : 1024 * (random() % 6) + random() % 5 - 2; };
            const std::uint32_t kind = random(), first = near(), second = near();
            const std::string fault = edits.Step(kind, first, second);
            ASSERT_EQ(fault, "") << "script " << script << ", step " << step;
        }
    }
}

}
