#include "EditorFixture.h"
#include "ModalAnswers.h"
#include "editor/widgets/CharacterTable.h"
#include "editor/widgets/ColourSelector.h"
#include "format/Cp437.h"

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString Glyphs(const QByteArray& bytes) { return Cp437::DecodeDocument(bytes); }

class MainWindowTest : public EditorFixture {
protected:
    void TypeCode(const QString& text)
    {
        ASCIIcode->setText(text);
        ASCIIcode->setFocus();
    }
    // The point in the table a little right of a character's left edge
    // (right half: a little left of its right edge).
    QPoint TablePoint(int index, bool rightHalf = false) const
    {
        QTextCursor cursor(tastatura->document());
        cursor.setPosition(index);
        const QRect left = tastatura->cursorRect(cursor);
        cursor.setPosition(index + 1);
        const QRect right = tastatura->cursorRect(cursor);
        const int x = rightHalf ? right.left() - 2 : left.left() + 2;
        return QPoint(x, left.center().y());
    }
};

}

TEST_F(MainWindowTest, StartUpState)
{
    EXPECT_EQ(glavna.windowTitle(), "Untitled[*]") << "a new document, the program's name added once by Qt";
    EXPECT_FALSE(glavna.isWindowModified());
    EXPECT_FALSE(Save1->isEnabled());
    EXPECT_EQ(groupBG->ItemText(), "0");
    EXPECT_EQ(GroupFG->ItemText(), "7");
    EXPECT_EQ(groupBG->title(), "BG");
    EXPECT_FALSE(SingleON->isChecked());
    EXPECT_EQ(SingleON->text(), "SingleClickON");
    EXPECT_TRUE(Bytes().isEmpty());
    EXPECT_EQ(kooX->text(), "X:");
    EXPECT_EQ(kooY->text(), "Y:");
    EXPECT_EQ(glavna.findChild<QWidget*>("TempM"), nullptr) << "no hidden staging control";
    EXPECT_FALSE(debugy->isVisible());
    EXPECT_FALSE(help.isVisible());
    EXPECT_FALSE(about.isVisible());
    EXPECT_FALSE(preview.isVisible());
    QStringList menus;
    for (QAction* menu : glavna.menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList { "&File", "&Edit", "&View", "NARH", "&Help" }));
    glavna.resize(glavna.sizeHint());
    QApplication::processEvents();
    EXPECT_EQ(Editor->geometry(), QRect(0, 0, 625, 345)) << "at the classic size; the first window is larger";
    EXPECT_EQ(InsertC->text(), "Insert Color Command");
    EXPECT_EQ(ClrScreen->text(), "Insert Clear Screen");
    EXPECT_EQ(Button1->text(), "Insert ASCII");
}

TEST_F(MainWindowTest, CharacterTableHoldsCodes128To254)
{
    const QString table = tastatura->toPlainText();
    EXPECT_EQ(table.size(), 381);
    EXPECT_EQ(table.left(3), Glyphs("\x80") + "  ");
    EXPECT_EQ(table.right(3), Glyphs("\xfe") + "  ");
    EXPECT_FALSE(table.contains(Glyphs("\xff")));
    EXPECT_TRUE(tastatura->isReadOnly());
}

TEST_F(MainWindowTest, ColourCommandGoesInThroughTheClipboard)
{
    QTest::mouseClick(InsertC, Qt::LeftButton);
    EXPECT_EQ(Bytes(),
        QByteArray("\x0f"
                   "07"));
    EXPECT_EQ(Caret(), 3);
    EXPECT_EQ(QApplication::clipboard()->text(),
        Glyphs("\x0f"
               "07"));
    EXPECT_TRUE(Editor->hasFocus());
}

TEST_F(MainWindowTest, ColourCommandReplacesTheSelection)
{
    SetDocument("Hello world");
    Select(6, 11);
    QTest::mouseClick(groupBG->Item(10), Qt::LeftButton);
    QTest::mouseClick(GroupFG->Item(15), Qt::LeftButton);
    QTest::mouseClick(InsertC, Qt::LeftButton);
    EXPECT_EQ(Bytes(),
        QByteArray("Hello \x0f"
                   "af"));
    Editor->undo();
    EXPECT_EQ(Bytes(), QByteArray("Hello world"));
}

TEST_F(MainWindowTest, ClearScreenGoesToTheStartOnce)
{
    QApplication::clipboard()->setText("kept");
    QTest::mouseClick(ClrScreen, Qt::LeftButton);
    EXPECT_EQ(Bytes(), QByteArray("\x0c"));
    EXPECT_EQ(Caret(), 1);

    SetDocument("abcdef", 3);
    QTest::mouseClick(ClrScreen, Qt::LeftButton);
    EXPECT_EQ(Bytes(),
        QByteArray("\x0c"
                   "abcdef"));
    EXPECT_EQ(Caret(), 1);
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");

    SetDocument("first\r\nlast\x0c");
    const ShownBox box = AnswerBox([&] { QTest::mouseClick(ClrScreen, Qt::LeftButton); });
    EXPECT_TRUE(box.shown);
    EXPECT_EQ(box.title, "Information");
    EXPECT_EQ(box.text, "Clear Screen command exist");
    EXPECT_EQ(box.icon, QMessageBox::Information);
    EXPECT_EQ(Bytes(), QByteArray("first\r\nlast\x0c"));
    EXPECT_EQ(Caret(), 1);
    // The window's focus widget: the one that has the focus whenever the
    // window is active again after the box.
    EXPECT_EQ(glavna.focusWidget(), Editor);
}

TEST_F(MainWindowTest, InsertAsciiByCode)
{
    struct Case {
        const char* field;
        QByteArray inserted;
        const char* box; // title of a box shown instead, if any
    };
    const Case cases[] = {
        { "65", "A", nullptr },
        { " 65", "A", nullptr },
        { "$41", "A", nullptr },
        { "255", "\xff", nullptr },
        { "13", "\r", nullptr },
        { "9", "\t", nullptr },
        { "0", "", nullptr },
        { "256", "", "Information" },
        { "999", "", "Information" },
        { "-1", "", "Information" },
        { "", "", "Glimra" },
        { "6a", "", "Glimra" },
    };
    for (const Case& test : cases) {
        SetDocument("");
        TypeCode(QString::fromLatin1(test.field));
        const ShownBox box = AnswerBox([&] { QTest::mouseClick(Button1, Qt::LeftButton); });
        EXPECT_EQ(Bytes(), test.inserted) << test.field;
        EXPECT_EQ(box.shown, test.box != nullptr) << test.field;
        if (test.box) {
            EXPECT_EQ(box.title, test.box) << test.field;
        }
        EXPECT_EQ(ASCIIcode->text(), QString::fromLatin1(test.field)) << "the field keeps its text";
    }
}

TEST_F(MainWindowTest, ConversionErrorsReachTheErrorBoxWithAFullStop)
{
    TypeCode("abc");
    const ShownBox box = AnswerBox([&] { QTest::keyClick(ASCIIcode, Qt::Key_Return); });
    EXPECT_EQ(box.title, "Glimra");
    EXPECT_EQ(box.text, "'abc' is not a valid integer value.");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_TRUE(Bytes().isEmpty());
    TypeCode("66");
    QTest::keyClick(ASCIIcode, Qt::Key_Return);
    EXPECT_EQ(Bytes(), QByteArray("B")) << "the window goes on working";
}

TEST_F(MainWindowTest, EnterRepeatsTheInsertionAtTheEditorsCaret)
{
    SetDocument("ab", 1);
    TypeCode("12");
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(ASCIIcode, Qt::Key_Return);
    EXPECT_EQ(Bytes(),
        QByteArray("a\x0c\x0c\x0c"
                   "b"));
    EXPECT_TRUE(ASCIIcode->hasFocus());
}

TEST_F(MainWindowTest, CaretLabelsFollowKeysInTheEditor)
{
    struct Case {
        QByteArray text;
        int caret;
        const char* x;
        const char* y;
    };
    const Case cases[] = {
        { "AB\x0f"
          "1eCD",
            7, "X: 5 (8)", "Y: 0" },
        { "AB\x0f"
          "1eCD",
            3, "X: 3 (4)", "Y: 0" },
        { "\x0f"
          "07Hi",
            5, "X: 5 (6)", "Y: 0" },
        { "\x0f"
          "07\x0f"
          "1e",
            6, "X: 3 (7)", "Y: 0" },
        { "\x0cHi", 3, "X: 4 (4)", "Y: 0" },
        { "one\r\ntwo\r\nthree", 9, "X: 2 (2)", "Y: 2" }, // after the "t" of "three"
        { "one\r\ntwo", 4, "X: 1 (1)", "Y: 1" },
    };
    Editor->setFocus();
    for (const Case& test : cases) {
        SetDocument(test.text, test.caret);
        QTest::keyClick(Editor, Qt::Key_Shift); // a key that moves nothing
        EXPECT_EQ(kooX->text(), test.x) << test.text.toHex().constData();
        EXPECT_EQ(kooY->text(), test.y) << test.text.toHex().constData();
    }
    SetDocument("AB\x0f"
                "1eCD",
        0);
    QTest::keyClick(Editor, Qt::Key_End);
    EXPECT_EQ(kooX->text(), "X: 5 (8)");
    EXPECT_EQ(debugy->text(), Glyphs("eCD")) << "the last window examined: column 5";
}

TEST_F(MainWindowTest, CaretLabelsDescribeTheSelectionStart)
{
    SetDocument("Hello world");
    Select(11, 2);
    Editor->setFocus();
    QTest::keyClick(Editor, Qt::Key_Shift);
    EXPECT_EQ(kooX->text(), "X: 3 (3)");
}

TEST_F(MainWindowTest, CaretLabelsCountTheEditorsWrappedLines)
{
    SetDocument(QByteArray(300, 'x'), 0);
    Editor->setFocus();
    QTest::keyClick(Editor, Qt::Key_End);
    const int wrapped = kooY->text().mid(3).toInt();
    EXPECT_GT(wrapped, 0) << "a 300-byte line wraps in a 625-pixel editor";
    EXPECT_LT(kooX->text().mid(3).section(' ', 0, 0).toInt(), 300);
}

TEST_F(MainWindowTest, DoubleClickAfterACharacterInsertsIt)
{
    SetDocument("ab", 1);
    const int box = 3 * (201 - 128);
    QTest::mouseClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(box + 1));
    EXPECT_EQ(Bytes(), QByteArray("ab")) << "the first click of a double-click picks nothing";
    QTest::mouseDClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(box + 1));
    EXPECT_EQ(Bytes(),
        QByteArray("a\xc9"
                   "b"));
    EXPECT_EQ(QApplication::clipboard()->text(), Glyphs("\xc9"));
    EXPECT_TRUE(Editor->hasFocus());
    QTest::mouseDClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(box));
    EXPECT_EQ(Bytes(),
        QByteArray("a\xc9\xc9"
                   "b"))
        << "on the character itself too";
}

TEST_F(MainWindowTest, DoubleClickPastTheLastCharacterInsertsNothing)
{
    QApplication::clipboard()->setText("old clipboard");
    QTextCursor end(tastatura->document());
    end.movePosition(QTextCursor::End);
    const QPoint past(tastatura->viewport()->width() - 3, tastatura->cursorRect(end).center().y());
    QTest::mouseClick(tastatura->viewport(), Qt::LeftButton, {}, past);
    QTest::mouseDClick(tastatura->viewport(), Qt::LeftButton, {}, past);
    EXPECT_TRUE(Bytes().isEmpty());
}

TEST_F(MainWindowTest, SingleClickInDoubleClickModeInsertsNothing)
{
    QTest::mouseClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(3 * 48));
    EXPECT_TRUE(Bytes().isEmpty());
}

TEST_F(MainWindowTest, SingleClickModePicksTheNearestCharacterBoundary)
{
    SingleON->setChecked(true);
    const int shade = 3 * (176 - 128);
    QTest::mouseClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(shade));
    EXPECT_EQ(Bytes(), QByteArray("\xb0"));
    QTest::mouseClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(shade, true));
    EXPECT_EQ(Bytes(), QByteArray("\xb0")) << "the right half picks the space after it";
    EXPECT_EQ(QApplication::clipboard()->text(), " ");
    // A double-click (press, release, double-click, release) inserts once,
    // from its first click.
    QTest::mouseClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(shade));
    QTest::mouseDClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(shade));
    EXPECT_EQ(Bytes(), QByteArray("\xb0\xb0"));
    // Right of the last character on the last row: nothing.
    const QRect last = tastatura->cursorRect(QTextCursor(tastatura->document()));
    QTextCursor end(tastatura->document());
    end.movePosition(QTextCursor::End);
    const QRect endRect = tastatura->cursorRect(end);
    QTest::mouseClick(
        tastatura->viewport(), Qt::LeftButton, {}, QPoint(tastatura->viewport()->width() - 3, endRect.center().y()));
    EXPECT_EQ(Bytes(), QByteArray("\xb0\xb0"));
    Q_UNUSED(last);
}

TEST_F(MainWindowTest, PickReplacesTheEditorsSelection)
{
    SetDocument("xyz");
    Select(0, 3);
    SingleON->setChecked(true);
    QTest::mouseClick(tastatura->viewport(), Qt::LeftButton, {}, TablePoint(0));
    EXPECT_EQ(Bytes(), QByteArray("\x80"));
}

TEST_F(MainWindowTest, CharactersWithoutACodeAreReplacedAndReported)
{
    Editor->setFocus();
    // Typed as a keyboard layout would deliver it; QTest types ASCII only.
    for (QChar character : QString::fromUtf8("a€b")) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
        QApplication::sendEvent(Editor, &press);
    }
    EXPECT_EQ(Bytes(), QByteArray("a?b"));
    EXPECT_TRUE(glavna.statusBar()->currentMessage().contains(QString::fromUtf8("€")));
    QApplication::clipboard()->setText(QString::fromUtf8("ü→✓"));
    Editor->paste();
    EXPECT_EQ(Bytes(), QByteArray("a?b\x81\x1a?"));
    EXPECT_TRUE(glavna.statusBar()->currentMessage().contains(QString::fromUtf8("✓")));
    SetDocument("");
    QApplication::clipboard()->setText(QString::fromUtf8("x\r\ny€"));
    Editor->paste();
    EXPECT_EQ(Bytes(), QByteArray("x\r\ny?")) << "no stray CR before the line break";
}

TEST_F(MainWindowTest, TabFollowsTheFocusOrder)
{
    Editor->setFocus();
    QWidget* expected[]
        = { ASCIIcode, Button1, groupBG->Item(0), GroupFG->Item(7), InsertC, ClrScreen, Preview, tastatura, SingleON };
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->metaObject()->className();
    }
    Editor->setFocus();
    QTest::keyClick(Editor, Qt::Key_Tab);
    EXPECT_EQ(Bytes(), QByteArray()) << "Tab is not typed into the document";
}

TEST_F(MainWindowTest, HelpWindowIsModalAndReadOnly)
{
    QWidget* modal = nullptr;
    QTimer::singleShot(20, [&] {
        modal = QApplication::activeModalWidget();
        QTest::keyClicks(Find(help, "Help_file"), "typed");
        help.close();
    });
    Find<QAction>(glavna, "NotARealHelp1")->trigger();
    EXPECT_EQ(modal, &help);
    EXPECT_EQ(help.windowTitle(), "Not A Real Help");
    const QStringList lines = Find<QPlainTextEdit>(help, "Help_file")->toPlainText().split('\n');
    EXPECT_EQ(lines[0], "Not A Real Help");
    EXPECT_EQ(lines[6], "In double-click mode double-click in space  AFTER character to insert it");
    EXPECT_TRUE(lines[16].endsWith("use InsertASCII "));
    EXPECT_EQ(Find<QPlainTextEdit>(help, "Help_file")->toPlainText(), TNARHForm::HelpText())
        << "typing changed nothing";
}

TEST_F(MainWindowTest, AboutBoxClosesWithEnter)
{
    bool wasModal = false;
    QTimer::singleShot(20, [&] {
        wasModal = QApplication::activeModalWidget() == &about;
        QTest::keyClick(&about, Qt::Key_Return);
    });
    Find<QAction>(glavna, "About1")->trigger();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.windowTitle(), "About");
    EXPECT_EQ(Find<QLabel>(about, "ProductName")->text(), "Glimra");
    EXPECT_EQ(Find<QLabel>(about, "Version")->text(), "Version 1.0.1");
}

TEST_F(MainWindowTest, PreviewShowsTheDocumentAndCloseReturnsToTheEditor)
{
    SetDocument("\x0f"
                "1eHello");
    QTest::mouseClick(Preview, Qt::LeftButton);
    EXPECT_TRUE(preview.isVisible());
    EXPECT_EQ(preview.Console().ScreenRow(0).left(5), QByteArray("Hello"));
    SetDocument("Changed");
    EXPECT_EQ(preview.Console().ScreenRow(0).left(5), QByteArray("Hello"));
    QTest::mouseClick(Preview, Qt::LeftButton);
    EXPECT_EQ(preview.Console().ScreenRow(0).left(7), QByteArray("Changed"));
    QTest::mouseClick(Find(preview, "Button2"), Qt::LeftButton);
    EXPECT_FALSE(preview.isVisible());
    EXPECT_EQ(glavna.focusWidget(), Editor);
}

TEST(TestSettings, StartEmptyInAFolderOfTheirOwn)
{
    QSettings settings(QStringLiteral("Glimra"), QStringLiteral("Glimra"));
    EXPECT_TRUE(settings.allKeys().isEmpty());
    EXPECT_TRUE(settings.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")))
        << settings.fileName().toStdString();
    settings.setValue(QStringLiteral("written"), true); // gone with this test's folder
}

// Typing right after start, and after Open with nothing clicked, goes into
// the document: the editor holds the keyboard in the real focus chain.
TEST_F(MainWindowTest, TheEditorHasTheKeyboardAtStart)
{
    glavna.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&glavna));
    EXPECT_EQ(QApplication::focusWidget(), Editor);
    // A click on the code field gives it the keyboard, and keeps it there.
    QTest::mouseClick(ASCIIcode, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), ASCIIcode);
    QTest::keyClicks(QApplication::focusWidget(), "65");
    EXPECT_EQ(ASCIIcode->text(), "65");
    EXPECT_EQ(Bytes(), "") << "the code is typed into its field, not the document";
}

// With Live Preview on, the preview follows Open and New at once.
TEST_F(MainWindowTest, LivePreviewFollowsOpenAndNewAtOnce)
{
    Find<QAction>(glavna, "LivePreview1")->trigger();
    ASSERT_TRUE(preview.isVisible());
    QTemporaryDir folder;
    QFile file(folder.filePath("opened.msg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("Opened\r\n");
    file.close();
    glavna.OpenAtStart(file.fileName(), QFile::encodeName(file.fileName()));
    EXPECT_TRUE(preview.Console().ScreenRow(0).startsWith("Opened"));
    Find<QAction>(glavna, "New1")->trigger();
    EXPECT_TRUE(preview.Console().ScreenRow(0).trimmed().isEmpty());
    Find<QAction>(glavna, "LivePreview1")->trigger();
}
