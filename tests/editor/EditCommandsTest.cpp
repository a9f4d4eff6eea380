// The Edit menu: its entries, Find Next both ways, Replace and Replace All.
#include "FileCommandsFixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

TEST_F(FileCommandsTest, EditMenuHasItsEntriesAndShortcuts)
{
    QStringList entries;
    for (QAction* action : PopupMenu1->actions())
        entries << action->text() + (action->shortcut().isEmpty() ? "" : "\t" + action->shortcut().toString());
    EXPECT_EQ(entries,
        (QStringList { "&Undo\tCtrl+Z", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V", "&Find...\tCtrl+F",
            "R&eplace...\tCtrl+H" }));
    SetDocument("abc");
    Editor->selectAll();
    PopupMenu1->actions()[1]->trigger();
    EXPECT_TRUE(Bytes().isEmpty());
    PopupMenu1->actions()[3]->trigger();
    EXPECT_EQ(Bytes(), QByteArray("abc"));

    // The menu bar's Edit menu adds Redo and Select All.
    entries.clear();
    for (QAction* action : Find<QMenu>(glavna, "EditMenu")->actions())
        entries << action->objectName() + u' ' + QKeySequence::listToString(action->shortcuts());
    EXPECT_EQ(entries.mid(0, 6),
        (QStringList { "Undo1 Ctrl+Z", "Redo1 Ctrl+Shift+Z; Ctrl+Y", "Cut1 Ctrl+X", "Copy1 Ctrl+C", "Paste1 Ctrl+V",
            "SelectAll1 Ctrl+A" }));
    SetDocument("abc");
    QTest::keyClicks(Editor, "d");
    Find<QAction>(glavna, "Undo1")->trigger();
    EXPECT_EQ(Bytes(), "abc");
    Find<QAction>(glavna, "Redo1")->trigger();
    EXPECT_EQ(Bytes(), "abcd");
    Find<QAction>(glavna, "SelectAll1")->trigger();
    EXPECT_EQ(Editor->textCursor().selectedText(), "abcd");
}

TEST_F(FileCommandsTest, FindNextSelectsMatchesBothWays)
{
    SetDocument("one Two one two", 0);
    Find<QAction>(glavna, "Find1")->trigger();
    QDialog& find = *Find<QDialog>(glavna, "FindDialog1");
    EXPECT_TRUE(find.isVisible());
    EXPECT_FALSE(find.isModal());
    auto findNext = [&] { QTest::mouseClick(Find(find, "FindNext"), Qt::LeftButton); };
    Find<QLineEdit>(find, "FindWhat")->setText("two");
    findNext();
    EXPECT_EQ(Editor->textCursor().selectionStart(), 4);
    Find<QCheckBox>(find, "MatchCase")->setChecked(true);
    findNext();
    EXPECT_EQ(Editor->textCursor().selectionStart(), 12);
    Find<QRadioButton>(find, "Up")->setChecked(true);
    Find<QCheckBox>(find, "MatchCase")->setChecked(false);
    findNext();
    EXPECT_EQ(Editor->textCursor().selectionStart(), 4);
    Find<QLineEdit>(find, "FindWhat")->setText("on");
    Find<QCheckBox>(find, "WholeWord")->setChecked(true);
    const ShownBox box = AnswerBox(findNext);
    EXPECT_EQ(box.text, "Cannot find \"on\"");
    EXPECT_EQ(Bytes(), QByteArray("one Two one two"));
}

TEST_F(FileCommandsTest, ReplaceAndReplaceAllAreUndoable)
{
    SetDocument("cat hat cat", 0);
    Find<QAction>(glavna, "Replace1")->trigger();
    QDialog& replace = *Find<QDialog>(glavna, "ReplaceDialog1");
    auto click = [&](const char* button) { QTest::mouseClick(Find(replace, button), Qt::LeftButton); };
    QLineEdit* replaceWith = Find<QLineEdit>(replace, "ReplaceWith");
    Find<QLineEdit>(replace, "FindWhat")->setText("cat");
    replaceWith->setText(QString::fromUtf8("╔")); // a PC glyph
    click("Replace"); // finds the first
    click("Replace"); // replaces it, finds the next
    EXPECT_EQ(Bytes(), QByteArray("\xc9 hat cat"));
    Editor->undo();
    EXPECT_EQ(Bytes(), QByteArray("cat hat cat"));

    replaceWith->setText("dog");
    click("ReplaceAll");
    EXPECT_EQ(Bytes(), QByteArray("dog hat dog"));
    Editor->undo();
    EXPECT_EQ(Bytes(), QByteArray("cat hat cat")) << "one Undo takes back Replace All";

    replaceWith->setText(QString::fromUtf8("€"));
    const ShownBox refused = AnswerBox([&] { click("ReplaceAll"); });
    EXPECT_TRUE(refused.text.contains(QString::fromUtf8("€")));
    EXPECT_EQ(Bytes(), QByteArray("cat hat cat"));
}
