// A configuration goes back to its file with the line breaks it had, however
// it was opened; a display file keeps the File menu's rule.
#include "ModalAnswers.h"
#include "TreeFixture.h"

#include <QSettings>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>

namespace {

class SaveConfigurationTest : public TreeFixture {
protected:
    SaveConfigurationTest() { QSettings().setValue(AskBeforeSaveKey, false); }
    ~SaveConfigurationTest() override { QSettings().remove(AskBeforeSaveKey); }
    // Types text at the start of a line (1 is the first).
    void TypeAtLine(int line, const char* text)
    {
        QTextCursor caret(Editor->document()->findBlockByNumber(line - 1));
        Editor->setTextCursor(caret);
        QTest::keyClicks(Editor, text);
    }
    QByteArray Saved(const QString& path)
    {
        Find<QAction>(glavna, "Save1")->trigger();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString Breaks() const { return Find<QLabel>(glavna, "LineBreaks")->text(); }
};

}

TEST_F(SaveConfigurationTest, EachKindOfFileKeepsItsBreaksThroughAnEditInTheMiddle)
{
    struct Case {
        const char* name;
        QByteArray file;
        QByteArray saved; // after "x" typed at the start of line 2 and a line added there
        const char* shown;
    };
    const Case cases[] = {
        { "lf.cfg", "PROMPT 1\nTIMEOUT 0\nSAY end\n", "PROMPT 1\nnew\nxTIMEOUT 0\nSAY end\n", "LF" },
        { "crlf.conf", "PROMPT 1\r\nTIMEOUT 0\r\nSAY end\r\n", "PROMPT 1\r\nnew\r\nxTIMEOUT 0\r\nSAY end\r\n",
            "CR LF" },
        { "mixed.cfg", "PROMPT 1\r\nTIMEOUT 0\nSAY end\r\n", "PROMPT 1\r\nnew\r\nxTIMEOUT 0\nSAY end\r\n",
            "Mixed line breaks" },
        { "isolinux/default", "DEFAULT linux\nLABEL linux\nSAY end", "DEFAULT linux\nnew\nxLABEL linux\nSAY end",
            "LF" },
    };
    for (const Case& test : cases) {
        const QString file = OpenAtStart(test.name, test.file);
        EXPECT_EQ(Breaks(), test.shown) << test.name;
        TypeAtLine(2, "new\rx");
        EXPECT_EQ(Saved(file), test.saved) << test.name;
        EXPECT_EQ(Saved(file), test.saved) << test.name << ": saved again";
    }
}

// An INCLUDE without a configuration's name, opened from the dock, is read
// as one; the display files of the set keep Open's rule.
TEST_F(SaveConfigurationTest, FilesOfTheSetAreSavedByWhatTheyAre)
{
    const QString menu = Write("isolinux/menu", "APPEND quiet\nPROMPT 1\n"); // no name nor first word of one
    const QString display = Write("isolinux/boot.msg", "Welcome\n");
    OpenAtStart("isolinux/isolinux.cfg", "INCLUDE menu\nDISPLAY boot.msg\n");
    for (const char* role : { "INCLUDE", "DISPLAY" }) {
        Activate(role);
        TypeAtLine(1, "x");
    }
    EXPECT_EQ(Breaks(), "LF");
    EXPECT_EQ(Saved(display), "xWelcome\r\n");
    Find<QAction>(glavna, "KeepLF1")->setChecked(true);
    EXPECT_EQ(Saved(display), "xWelcome\n") << "Keep LF Line Breaks";
    Find<QAction>(glavna, "KeepLF1")->setChecked(false);
    Find<QTabBar>(glavna, "DocumentTabs")->setCurrentIndex(1);
    EXPECT_EQ(Saved(menu), "xAPPEND quiet\nPROMPT 1\n");
}

// A file opened as a display file, and then read as a configuration by
// Open Configuration (itself, or a configuration that includes it), is
// saved with its own line breaks from then on.
TEST_F(SaveConfigurationTest, AFileOpenedBeforeItsConfigurationKeepsItsBreaks)
{
    struct Case {
        const char* opened; // by File > Open, read as a display file
        QByteArray bytes;
        const char* configuration; // then opened by Open Configuration
    };
    const Case cases[] = {
        { "isolinux/start", "Welcome\nPROMPT 1\n", "isolinux/start" },
        { "isolinux/extra", "More entries\nPROMPT 1\n", "isolinux/isolinux.cfg" },
    };
    Write("isolinux/isolinux.cfg", "INCLUDE extra\r\n");
    for (const Case& test : cases) {
        const QString file = Write(test.opened, test.bytes);
        AnswerFileDialog([&] { Find<QAction>(glavna, "Open1")->trigger(); }, file);
        EXPECT_TRUE(Find<QLabel>(glavna, "LineBreaks")->toolTip().startsWith(u"Open makes")) << test.opened;
        AnswerFileDialog(
            [&] { Find<QAction>(glavna, "OpenConfiguration1")->trigger(); }, tree.filePath(test.configuration));
        auto* tabs = Find<QTabBar>(glavna, "DocumentTabs");
        tabs->setCurrentIndex(0);
        TypeAtLine(2, "x");
        EXPECT_EQ(Saved(file), QByteArray(test.bytes).replace("\nP", "\nxP")) << test.opened;
        AnswerBoxes([&] { Find<QAction>(glavna, "CloseConfiguration1")->trigger(); }, { QMessageBox::Yes });
    }
}
