// The drawing mode as a user meets it: keys and the mouse on the canvas,
// the document's own undo, the rewrite question, ANSI art in and out, and
// the window that now stretches.
#include "EditorFixture.h"
#include "ModalAnswers.h"
#include "editor/drawing/AnsiArtCommands.h"
#include "editor/drawing/DrawingMode.h"
#include "editor/drawing/ScreenCanvas.h"
#include "editor/widgets/FormStretch.h"
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"

#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

class DrawingTest : public EditorFixture {
protected:
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::keyClick(canvas, static_cast<Qt::Key>(key), modifiers);
    }
    void Click(Spot cell, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(canvas, Qt::LeftButton, modifiers, canvas->CellRectangle(cell).center());
    }
    void DragOver(Spot from, Spot to)
    {
        QTest::mousePress(canvas, Qt::LeftButton, {}, canvas->CellRectangle(from).center());
        QTest::mouseMove(canvas, canvas->CellRectangle(to).center());
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, canvas->CellRectangle(to).center());
    }
    // Typed text as a keyboard layout gives it, any character.
    void Type(const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
        QApplication::sendEvent(canvas, &press);
    }
    // A double box dragged from (10, 3) to (69, 12), and a single divider
    // from the keyboard that meets it in ╟ and ╢.
    void DrawBoxWithDivider()
    {
        Find<QAction>(glavna, "DoubleLines1")->trigger();
        Find<QAction>(glavna, "BoxTool1")->trigger();
        DragOver({ 10, 3 }, { 69, 12 });
        EXPECT_EQ(At(10, 3).byte, 0xC9); // ╔
        EXPECT_EQ(At(40, 3).byte, 0xCD); // ═
        EXPECT_EQ(At(69, 12).byte, 0xBC); // ╝
        Find<QAction>(glavna, "DoubleLines1")->trigger();
        Find<QAction>(glavna, "SelectTool1")->trigger();
        Click({ 10, 6 });
        Key(Qt::Key_Right, Qt::AltModifier, 59);
        EXPECT_EQ(At(10, 6).byte, 0xC7);
        EXPECT_EQ(At(69, 6).byte, 0xB6);
        EXPECT_EQ(At(30, 6).byte, 0xC4);
    }
    const Cell& At(int column, int row) const { return canvas->Shown().At(column, row); }
    QString Said() const { return glavna.statusBar()->currentMessage(); }

    DrawingMode* drawing = glavna.findChild<DrawingMode*>();
    AnsiArtCommands* ansiArt = glavna.findChild<AnsiArtCommands*>();
    ScreenCanvas* canvas = Find<ScreenCanvas>(glavna, "ScreenCanvas");
    QTemporaryDir folder;
};

TEST_F(DrawingTest, DrawsABoxTypesATitleRecoloursUndoesAndSaves)
{
    QTest::keyClick(Editor, Qt::Key_F7); // an empty document: nothing to ask
    ASSERT_TRUE(drawing->Active());
    ASSERT_TRUE(canvas->isVisible() && !Editor->isVisible());
    DrawBoxWithDivider();

    Click({ 30, 4 });
    QTest::keyClicks(canvas, "RESCUE CD");
    EXPECT_EQ(canvas->Cursor(), (Spot { 39, 4 }));
    EXPECT_EQ(At(30, 4), (Cell { 'R', 0x07 }));
    Key(Qt::Key_Return);
    EXPECT_EQ(canvas->Cursor(), (Spot { 30, 5 })) << "under the start of the typing";
    Key(Qt::Key_Down, Qt::ControlModifier); // no selection: only the pen changes
    EXPECT_EQ(At(30, 5).attribute, 0x07);
    QTest::keyClicks(canvas, "v");
    EXPECT_EQ(At(30, 5), (Cell { 'v', 0x08 }));
    Key(Qt::Key_Z, Qt::ControlModifier);
    Key(Qt::Key_Up, Qt::ControlModifier);
    Click({ 30, 4 });
    Click({ 38, 4 }, Qt::ShiftModifier);
    EXPECT_EQ(canvas->Selection(), (CellRect { { 30, 4 }, { 38, 4 } }));
    Key(Qt::Key_Right, Qt::ControlModifier); // background 1
    Key(Qt::Key_Down, Qt::ControlModifier, 7); // foreground 7 -> e
    EXPECT_EQ(GroupFG->ItemIndex(), 14);
    EXPECT_EQ(At(30, 4).attribute, 0x1e);
    EXPECT_EQ(At(38, 4).attribute, 0x1e);
    EXPECT_EQ(At(39, 4).attribute, 0x07);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(At(30, 4).attribute, 0x1d) << "one step back";
    QTest::keyClick(canvas, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(At(30, 4).attribute, 0x1e) << "and forward again";

    // The text view holds the same bytes, and so does the saved file.
    const QByteArray bytes = Bytes();
    EXPECT_EQ(bytes, EncodeScreen(canvas->Shown()).bytes);
    const QString file = folder.filePath(QStringLiteral("boot.msg"));
    AnswerFileDialog([&] { Find<QAction>(glavna, "SaveAs1")->trigger(); }, file);
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const BootView shown = BootScreenOf(saved.readAll());
    EXPECT_EQ(shown.screen, canvas->Shown());
    EXPECT_EQ(shown.screen.At(34, 4), (Cell { 'U', 0x1e }));
    EXPECT_EQ(shown.cursor, (Spot { 0, 13 })) << "the prompt under the box";

    ShowAndWait(glavna); // the file dialog had the focus
    Key(Qt::Key_F7);
    EXPECT_TRUE(Editor->isVisible());
    EXPECT_FALSE(drawing->Active());
}

TEST_F(DrawingTest, RefusesWhatTheLoaderCannotShowAndMovesRectangles)
{
    SetDocument("\x0f"
                "07\x0c"
                "ab\r\n");
    QTest::keyClick(Editor, Qt::Key_F7);
    ASSERT_TRUE(drawing->Active()) << "canonical bytes: nothing asked";
    const QByteArray before = Bytes();
    struct Refused {
        QString typed;
        Spot at;
        const char* said;
    };
    for (const Refused& row : { Refused { QStringLiteral("\u20ac"), { 5, 5 }, "no code page 437 byte" },
             Refused { QStringLiteral("\u263a"), { 5, 5 }, "byte 01" },
             Refused { QStringLiteral("x"), { 79, 24 }, "last cell of row 25" } }) {
        canvas->SetCursor(row.at);
        Type(row.typed);
        EXPECT_TRUE(Said().contains(QLatin1StringView(row.said))) << Said().toStdString();
        EXPECT_EQ(Bytes(), before);
    }
    canvas->Select({ { 0, 0 }, { 1, 0 } });
    QTest::keyClick(canvas, Qt::Key_C, Qt::ControlModifier);
    canvas->SetCursor({ 10, 10 });
    QTest::keyClick(canvas, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(At(10, 10).byte, 'a');
    EXPECT_EQ(At(11, 10).byte, 'b');
    EXPECT_EQ(canvas->Selection(), (CellRect { { 10, 10 }, { 11, 10 } }));
    QTest::keyClick(canvas, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(At(10, 10).byte, ' ');
    canvas->Select({ { 20, 20 }, { 22, 21 } });
    QTest::keyClicks(canvas, "#"); // a character over a selection fills it
    EXPECT_EQ(At(22, 21).byte, '#');
    Key(Qt::Key_Delete);
    EXPECT_EQ(At(21, 20).byte, ' ');
    // The character table and Insert ASCII type at the cell cursor.
    canvas->SetCursor({ 40, 12 });
    QTextCursor pick(tastatura->document());
    pick.setPosition(3 * (0xC9 - 128));
    QTest::mouseDClick(tastatura->viewport(), Qt::LeftButton, {}, tastatura->cursorRect(pick).center() + QPoint(2, 0));
    EXPECT_EQ(At(40, 12).byte, 0xC9);
    EXPECT_TRUE(canvas->hasFocus());
    ASCIIcode->setText(QStringLiteral("65"));
    Button1->click();
    EXPECT_EQ(At(41, 12).byte, 'A');
    // The prompt moves down on request, never above the last row written.
    canvas->SetCursor({ 0, 22 });
    Find<QAction>(glavna, "PromptHere1")->trigger();
    EXPECT_EQ(BootScreenOf(Bytes()).cursor, (Spot { 0, 22 }));
    // A bullet is drawn through the line-drawing switch, after which no
    // lower-case letter can follow.
    canvas->SetCursor({ 0, 21 });
    Type(QStringLiteral("\u2022"));
    EXPECT_EQ(At(0, 21).byte, 0x07);
    EXPECT_TRUE(Bytes().contains('\x0e'));
    canvas->SetCursor({ 5, 23 });
    Type(QStringLiteral("z"));
    EXPECT_TRUE(Said().contains(u"row 22 column 1 (byte 07)")) << Said().toStdString();
}

TEST_F(DrawingTest, AsksBeforeARewriteAndSaysWhatItDrops)
{
    const QByteArray original("\x0cHi\x14secret\x11\r\n\x18pic.lss\nthere\r\n\x1a"
                              "after");
    SetDocument(original);
    std::vector<ShownBox> asked = AnswerBoxes([&] { QTest::keyClick(Editor, Qt::Key_F7); }, { QMessageBox::No });
    ASSERT_EQ(asked.size(), 1u);
    for (const char* named : { "hidden from the screen", "image lines", "0x1A" })
        EXPECT_TRUE(asked[0].text.contains(QLatin1StringView(named))) << named;
    EXPECT_EQ(asked[0].defaultButton, QMessageBox::No);
    EXPECT_FALSE(drawing->Active());
    EXPECT_TRUE(Editor->isVisible());
    EXPECT_EQ(Bytes(), original);

    // A bottom row coloured by scrolling keeps a last cell that no rewrite can write.
    SetDocument("\x0f"
                "1f\x0c"
        + QByteArray(24, '\n')
        + "\x0f"
          "4f\n");
    asked = AnswerBoxes([&] { Find<QAction>(glavna, "DrawOnScreen1")->trigger(); }, { QMessageBox::No });
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.contains(u"last cell of row 25")) << asked[0].text.toStdString();
    SetDocument(original);
    asked = AnswerBoxes([&] { Find<QAction>(glavna, "DrawOnScreen1")->trigger(); }, { QMessageBox::Yes });
    ASSERT_EQ(asked.size(), 1u);
    ASSERT_TRUE(drawing->Active());
    ShowAndWait(glavna); // the question had the focus
    canvas->setFocus();
    EXPECT_EQ(Bytes(), EncodeScreen(BootScreenOf(original).screen, 2).bytes);
    EXPECT_EQ(BootScreenOf(Bytes()).screen, BootScreenOf(original).screen);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(), original) << "the rewrite is one step of the document's undo";
}

TEST_F(DrawingTest, ImportsAndExportsAnsiArt)
{
    QByteArray tall;
    for (int row = 0; row < 30; ++row)
        tall += "\x1b[1;3" + QByteArray::number(row % 8) + "mrow " + QByteArray::number(row) + "\r\n";
    QFile art(folder.filePath(QStringLiteral("tall.ans")));
    ASSERT_TRUE(art.open(QIODevice::WriteOnly));
    art.write(tall);
    art.close();
    const ShownBox told = AnswerBox([&] { ansiArt->ImportFrom(art.fileName(), 5); });
    EXPECT_TRUE(told.text.contains(u"only rows 6-30 are taken")) << told.text.toStdString();
    EXPECT_EQ(Bytes(), ImportAnsiArt(ReadAnsiArt(tall), 5).bytes);
    EXPECT_EQ(BootScreenOf(Bytes()).screen.At(4, 0).byte, '5');
    EXPECT_TRUE(Editor->document()->isModified()) << "an import is unsaved work";

    const QString exported = folder.filePath(QStringLiteral("out.ans"));
    ASSERT_TRUE(ansiArt->ExportTo(exported));
    QFile written(exported);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(ReadAnsiArt(written.readAll()).RowsFrom(0), BootScreenOf(Bytes()).screen);
}

TEST_F(DrawingTest, TheWindowStretchesAndFitsSmallScreens)
{
    auto* bg = Find<QWidget>(glavna, "groupBG");
    const QRect editor = Editor->geometry();
    const QPoint selector = bg->pos();
    const QPoint table = tastatura->pos();
    const QPoint button = Preview->pos();
    const QPoint column = kooX->pos();
    QWidget* form = glavna.findChild<FormStretch*>()->widget();
    const QSize before = form->size();
    glavna.resize(glavna.size() + QSize(100, 60)); // as far as the screen lets it
    QApplication::processEvents();
    const QSize grown = form->size() - before;
    EXPECT_GT(grown.height(), 0);
    EXPECT_EQ(Editor->size(), editor.size() + grown);
    EXPECT_EQ(bg->pos(), selector + QPoint(grown.width(), 0));
    EXPECT_EQ(tastatura->pos(), table + QPoint(0, grown.height()));
    EXPECT_EQ(Preview->pos(), button + QPoint(grown.width(), 0)) << "the right column stays together";
    EXPECT_EQ(kooX->pos(), column + QPoint(grown.width(), grown.height())) << "at the document's corner";
    // A window that was designed at 96 dpi fits a 1000-pixel screen at twice the scale.
    const QSize design = glavna.findChild<FormStretch*>()->sizeHint();
    EXPECT_LE(FittedWindowSize(design + QSize(0, 60), glavna.screen()).height(),
        glavna.screen()->availableGeometry().height());
    glavna.resize(300, 200);
    QApplication::processEvents();
    EXPECT_LE(glavna.height(), 260) << "smaller than the design: the form scrolls";
}

}
