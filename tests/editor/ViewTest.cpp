#include "EditorFixture.h"
#include "console/qt/ConsoleWidget.h"
#include "editor/checks/FormatGuide.h"
#include "editor/window/ProgramOptions.h"
#include "render/cli/RenderArguments.h"

#include <QComboBox>
#include <QDockWidget>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QTreeWidget>

#include <sys/stat.h>

namespace {

class ViewTest : public EditorFixture {
protected:
    // The highlighter's format of one character of a line.
    QTextCharFormat FormatAt(int line, int column) const
    {
        const QTextBlock block = Editor->document()->findBlockByNumber(line);
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (column >= range.start && column < range.start + range.length)
                return range.format;
        }
        return {};
    }
    QString Colours(int line, int column) const
    {
        const QTextCharFormat format = FormatAt(line, column);
        return format.foreground().color().name() + u'/' + format.background().color().name();
    }
    void Trigger(const char* action) { Find<QAction>(glavna, action)->trigger(); }
    // Waits for the live preview's next rendering, and a little longer for a
    // second one that should not come.
    bool Rendered()
    {
        QSignalSpy rendered(&preview, &TPreviewFR::Rendered);
        const bool came = rendered.wait(5000);
        QTest::qWait(50);
        return came;
    }
};

TEST_F(ViewTest, TheEditorShowsTheScreensColoursLineByLine)
{
    SetDocument("\x0f"
                "1eHi\r\nmore\x0f"
                "c0x\r\n\x0f"
                "1E!");
    QApplication::processEvents();
    EXPECT_EQ(Colours(0, 3), "#ffff55/#0000aa"); // yellow on blue
    EXPECT_EQ(Colours(1, 0), "#ffff55/#0000aa"); // carried to the next line
    EXPECT_EQ(Colours(1, 7), "#000000/#ff5555"); // background c bright in the preview
    EXPECT_EQ(FormatAt(0, 1).background().color().name(), "#0000aa"); // the digit as a swatch
    EXPECT_EQ(Colours(2, 3), "#aaaaaa/#0000aa"); // "E" is no digit for the preview: light grey

    Find<QComboBox>(preview, "Mode")->setCurrentIndex(1); // the boot loader's rules
    QApplication::processEvents();
    EXPECT_EQ(Colours(2, 3), "#ffff55/#0000aa");
    EXPECT_EQ(Colours(1, 7), "#000000/#aa0000"); // blinking: the dark colour

    Trigger("Colouring1");
    EXPECT_TRUE(Editor->document()->firstBlock().layout()->formats().isEmpty());
    Find<QComboBox>(preview, "Mode")->setCurrentIndex(0);
    Trigger("Colouring1");
}

TEST_F(ViewTest, TheLivePreviewRendersOnceAfterABurstOfEdits)
{
    Trigger("LivePreview1");
    ASSERT_TRUE(preview.isVisible());
    QSignalSpy renders(&preview, &TPreviewFR::Rendered);
    for (char letter = 'a'; letter <= 'z'; ++letter)
        Editor->insertPlainText(QString(QChar(letter)));
    EXPECT_TRUE(Rendered());
    EXPECT_EQ(renders.count(), 1);
    EXPECT_EQ(preview.Console().ScreenRow(0).left(26), "abcdefghijklmnopqrstuvwxyz");
    Trigger("LivePreview1");
    Editor->insertPlainText(QStringLiteral("!"));
    QTest::qWait(100);
    EXPECT_EQ(renders.count(), 1);
}

TEST_F(ViewTest, ThePreviewMarksTheCaretsCellAndAClickMovesTheCaret)
{
    Trigger("LivePreview1");
    SetDocument("\x0f"
                "1eAB\r\n"
        + QByteArray(85, 'x') + "\r\nC");
    ASSERT_TRUE(Rendered());
    auto* terminal = Find<ConsoleWidget>(preview, "Terminal1");
    const std::pair<int, CellPair> marks[] = { { 4, { 1, 0 } }, { 6 + 82, { 2, 2 } }, { 6 + 86, { 0, 3 } } };
    for (const auto& [position, cell] : marks) {
        SetDocument(Bytes(), position);
        EXPECT_EQ(terminal->MarkedCell(), cell) << position;
    }
    Rendered();
    const CellPair size = preview.Console().CellSize();
    const CellPair origin = preview.Console().Origin();
    QTest::mouseClick(
        terminal->viewport(), Qt::LeftButton, {}, QPoint(size.x * (3 - origin.x) + 1, size.y * (2 - origin.y) + 1));
    EXPECT_EQ(Caret(), 6 + 83); // the fourth x of the wrapped piece
    Trigger("LivePreview1");
}

TEST_F(ViewTest, ProblemsAreCountedListedAndReachable)
{
    SetDocument("fine\r\nbad \x0f"
                "x1\r\n",
        0);
    auto* count = Find<QPushButton>(glavna, "ProblemCount");
    EXPECT_TRUE(QTest::qWaitFor([&] { return count->text() == u"1 problem"; }, 5000)) << count->text().toStdString();
    auto* list = Find<QTreeWidget>(glavna, "ProblemList");
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "2:5");
    EXPECT_EQ(list->topLevelItem(0)->text(3), "colour-digit");
    count->click();
    EXPECT_TRUE(Find<QDockWidget>(glavna, "ProblemsPanel")->isVisible());
    emit list->itemActivated(list->topLevelItem(0), 0);
    EXPECT_EQ(Caret(), 5 + 4);

    // A saved document's images are looked for in its own folder.
    QTemporaryDir folder;
    QFile logo(folder.filePath(QStringLiteral("logo.lss")));
    ASSERT_TRUE(logo.open(QIODevice::WriteOnly));
    logo.write(QByteArray("\x3d\xf3\x13\x14\x10\x00\x08\x00", 8) + QByteArray(48, '\x3f'));
    logo.close();
    QFile document(folder.filePath(QStringLiteral("boot.msg")));
    ASSERT_TRUE(document.open(QIODevice::WriteOnly));
    document.write("\x18logo.lss\n\x18gone.lss\n");
    document.close();
    glavna.OpenAtStart(document.fileName(), QFile::encodeName(document.fileName()));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return list->topLevelItemCount() == 1 && list->topLevelItem(0)->text(0) == u"2:1"; }, 5000));
    EXPECT_EQ(count->text(), "1 problem");
}

TEST_F(ViewTest, CaretLabelsFollowEveryMoveAndInsertAsciiShowsItsByte)
{
    SetDocument("abc\r\ndef", 6);
    EXPECT_EQ(kooX->text(), "X: 3 (3)");
    InsertC->click();
    EXPECT_EQ(kooX->text(), "X: 3 (6)");
    Editor->undo();
    EXPECT_EQ(kooX->text(), "X: 3 (3)");

    auto* shown = Find<QLabel>(glavna, "ASCIIbyte");
    QTest::keyClicks(ASCIIcode, "0x41"); // the field keeps three characters
    EXPECT_EQ(shown->text(), QStringLiteral("4 = 0x04 \u2666"));
    ASCIIcode->setText(QStringLiteral("300"));
    EXPECT_EQ(shown->text(), "not a byte");
}

// The built manual pages list every option of both programs, from the same
// tables as --help, and every shortcut of the window.
TEST_F(ViewTest, ManualPagesListEveryOptionAndShortcut)
{
    const auto page = [](const char* name) {
        QFile file(QStringLiteral(GLIMRA_MANUAL_DIR "/") + name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        return QString::fromUtf8(file.readAll());
    };
    const auto roff = [](QString text) { return "\\fB" + text.replace(u'-', QStringLiteral("\\-")) + "\\fR"; };
    const std::pair<QString, QList<QCommandLineOption>> pages[]
        = { { page("glimra.1"), GlimraOptions() }, { page("glimra-render.1"), RenderOptions().All() } };
    for (const auto& [text, options] : pages) {
        EXPECT_FALSE(text.contains(u'@'));
        for (const QCommandLineOption& option : options) {
            for (const QString& name : option.names())
                EXPECT_TRUE(text.contains(roff((name.size() == 1 ? "-" : "--") + name))) << name.toStdString();
        }
    }
    EXPECT_EQ(RenderOptions().All().size(), 21);
    const std::vector<FormatGuide::Shortcut> shortcuts = FormatGuide::Shortcuts(FormatGuide::ActionsOf(glavna));
    EXPECT_GE(shortcuts.size(), 18u);
    for (const FormatGuide::Shortcut& shortcut : shortcuts) {
        for (const QString& key : shortcut.keys)
            EXPECT_TRUE(pages[0].first.contains(roff(key) + (key == shortcut.keys.last() ? "\n" + shortcut.name : ",")))
                << key.toStdString();
    }
}

TEST_F(ViewTest, F1OpensTheFormatGuide)
{
    Trigger("FormatGuide1");
    auto* guide = glavna.findChild<FormatGuide*>();
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    EXPECT_TRUE(Find<QTextBrowser>(*guide, "GuideText")->toPlainText().contains("colour-digit"));
    EXPECT_EQ(Find<QAction>(glavna, "FormatGuide1")->shortcut(), QKeySequence(Qt::Key_F1));
    // Every shortcut of the window is in the guide's table, with its name.
    const QString text = Find<QTextBrowser>(*guide, "GuideText")->toPlainText();
    int listed = 0;
    for (const QAction* action : glavna.findChildren<QAction*>()) {
        for (const QKeySequence& keys : action->shortcuts()) {
            const QString line = keys.toString(QKeySequence::NativeText);
            EXPECT_TRUE(text.contains(QRegularExpression(QRegularExpression::escape(line) + "[\\s,]")))
                << line.toStdString();
            ++listed;
        }
    }
    EXPECT_GE(listed, 20);
    EXPECT_TRUE(text.contains(QRegularExpression("F9\\s+Boot in Virtual Machine"))) << text.toStdString();
    guide->close();
}

}

// Start-up applies the stored choices without writing them back: each store
// is a synced rewrite of the settings file, which start-up would wait for.
TEST_F(ViewTest, StartingDoesNotRewriteTheSettings)
{
    QSettings().setValue(QStringLiteral("probe"), 1);
    QSettings().sync();
    const QByteArray file = QFile::encodeName(QSettings().fileName());
    struct stat before { };
    ASSERT_EQ(::stat(file.constData(), &before), 0);
    {
        TGlavna another;
        another.show();
        QApplication::processEvents();
    }
    struct stat after { };
    ASSERT_EQ(::stat(file.constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the settings file was replaced";
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    // A choice that does change is stored.
    Trigger("WrapLines1");
    EXPECT_EQ(
        QSettings().value(QStringLiteral("view/wrapLines")).toBool(), Find<QAction>(glavna, "WrapLines1")->isChecked());
}
