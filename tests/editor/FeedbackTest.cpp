// What the window tells a new user: find's wrap and its labels, what an
// empty Insert ASCII wants, and Live Preview with a configuration.
#include "ModalAnswers.h"
#include "TreeFixture.h"

#include <QRadioButton>
#include <QStatusBar>
#include <QTest>

namespace {

class FeedbackTest : public TreeFixture {
protected:
    QString Said() const { return glavna.statusBar()->currentMessage(); }
};

}

// Find goes on from the other end, and the status bar says so; the labels
// read as words, their letters the fields' keys.
TEST_F(FeedbackTest, FindWrapsAroundWithANote)
{
    SetDocument("one two one", 5);
    Find<QAction>(glavna, "Find1")->trigger();
    QDialog& find = *Find<QDialog>(glavna, "FindDialog1");
    Find<QLineEdit>(find, "FindWhat")->setText("one");
    const auto next = [&] { QTest::mouseClick(Find(find, "FindNext"), Qt::LeftButton); };
    struct Step {
        bool up;
        int selected;
        bool wrapped;
    };
    const Step steps[]
        = { { false, 8, false }, { false, 0, true }, { false, 8, false }, { true, 0, false }, { true, 8, true } };
    for (const Step& step : steps) {
        Find<QRadioButton>(find, step.up ? "Up" : "Down")->setChecked(true);
        glavna.statusBar()->clearMessage();
        next();
        EXPECT_EQ(Editor->textCursor().selectionStart(), step.selected);
        EXPECT_EQ(Said().isEmpty(), !step.wrapped) << Said().toStdString();
    }
    EXPECT_EQ(Said(), "Search reached the start of the document and went on from the end.");
    QStringList labels;
    for (const QLabel* label : find.findChildren<QLabel*>()) {
        EXPECT_NE(label->buddy(), nullptr) << label->text().toStdString();
        labels << label->text();
    }
    EXPECT_EQ(labels, QStringList { "Fi&nd what:" }) << "& marks the key, shown underlined";
    Find<QAction>(glavna, "Replace1")->trigger();
    const QLabel* replaceWith = Find<QDialog>(glavna, "ReplaceDialog1")->findChildren<QLabel*>().value(1);
    ASSERT_NE(replaceWith, nullptr);
    EXPECT_EQ(replaceWith->buddy(), Find<QLineEdit>(glavna, "ReplaceWith"));
}

// The prescribed box, and beside the field what to type.
TEST_F(FeedbackTest, AnEmptyInsertAsciiSaysWhatToType)
{
    EXPECT_EQ(Find<QLabel>(glavna, "ASCIIbyte")->text(), "type a code: 65 or $41");
    const ShownBox box = AnswerBox([&] { Button1->click(); });
    EXPECT_EQ(box.text, "'' is not a valid integer value.");
    EXPECT_TRUE(box.detail.startsWith("Type the code first")) << box.detail.toStdString();
    ASCIIcode->setText("6a");
    EXPECT_EQ(AnswerBox([&] { Button1->click(); }).detail, "") << "a mistake needs no hint";
}

// With a configuration, Live Preview is Run Configuration's: the display
// preview does not open on the configuration's text.
TEST_F(FeedbackTest, LivePreviewOfAConfigurationIsRunConfiguration)
{
    OpenAtStart("isolinux/isolinux.cfg", "SAY first\nPROMPT 1\n");
    Find<QAction>(glavna, "LivePreview1")->trigger();
    EXPECT_FALSE(preview.isVisible());
    const RunConfigurationWindow& window = Run();
    QTest::keyClicks(Editor, "SAY second\r");
    EXPECT_SOON(window.Console().ScreenRow(window.Console().Cursor().y - 2).startsWith("second"));
    EXPECT_FALSE(preview.isVisible());
    Find<QAction>(glavna, "LivePreview1")->trigger();
}
