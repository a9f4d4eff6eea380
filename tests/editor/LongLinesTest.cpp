#include "EditorFixture.h"

#include <QClipboard>
#include <QTest>
#include <QTextBlock>

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
    Editor->cut();
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
