// Directives help: the keywords offered at a caret, the completion in the
// editor, and the Configuration Reference, all from the one table.
#include "EditorFixture.h"
#include "config/ConfigDirectives.h"
#include "editor/directives/ConfigurationReference.h"
#include "editor/directives/DirectiveCompletion.h"

#include <QAbstractItemView>
#include <QTest>
#include <QTextBlock>

namespace {

QStringList Offered(const QString& line, int column)
{
    QStringList words;
    if (const std::optional<DirectiveChoice> choice = DirectiveChoiceAt(line, column)) {
        for (const ConfigDirectives::Directive* directive : choice->directives)
            words << choice->Completed(*directive);
    }
    return words;
}

}

TEST(DirectiveChoiceTest, WordsOfferedAtTheCaret)
{
    const struct {
        const char* line;
        int column; // -1: the line's end
        const char* offered; // the completions, '|' between them; "" none
    } rows[] = {
        { "ti", -1, "timeout " }, // in the case begun
        { "  tO", -1, "totaltimeout " },
        { "\tLA", -1, "LABEL " },
        { "me", -1, "menu " },
        { "menu ma", -1, "master passwd |margin " },
        { "MENU  MASTER P", -1, "MASTER PASSWD " },
        { "MENU de", -1, "default" }, // nothing follows MENU DEFAULT
        { "MENU DIS", -1, "DISABLE|DISABLED" },
        { "TEXT H", -1, "TEXT HELP" },
        { "en", -1, "endtext" },
        { "F1", -1, "F1 |F10 |F11 |F12 " },
        { "ui", -1, "ui " },
        { "in", -1, "include |initrd " },
        { "MENU in", -1, "include |indent " },
        { "MENU hiddenk", -1, "hiddenkey " },
        // Not at a keyword: an argument, an unknown word, inside a word, a comment.
        { "LABEL li", -1, "" },
        { "MENU TITLE Bo", -1, "" },
        { "xyz", -1, "" },
        { "timeout", 3, "" },
        { "# ti", -1, "" },
        { "MENU ti", 2, "" },
    };
    for (const auto& row : rows) {
        const QString line = QString::fromLatin1(row.line);
        const QStringList expected = QString::fromLatin1(row.offered).split(u'|', Qt::SkipEmptyParts);
        EXPECT_EQ(Offered(line, row.column < 0 ? line.size() : row.column), expected) << row.line;
    }
    // Ctrl+Space on an empty line: every keyword of a line's start, MENU's after MENU.
    EXPECT_EQ(Offered(QString(), 0).size(), static_cast<qsizetype>(ConfigSyntax::Keywords.size() + 1 + 12));
    EXPECT_EQ(Offered(QStringLiteral("MENU "), 5).size(), static_cast<qsizetype>(ConfigSyntax::MenuKeywords.size()));
    EXPECT_EQ(DirectiveChoiceAt(QStringLiteral("  menu  ma"), 10)->start, 8);
}

// Inside TEXT HELP only ENDTEXT is a keyword; the block is found from the
// lines above, nearest first.
TEST(DirectiveChoiceTest, HelpTextOffersOnlyItsEnd)
{
    const struct {
        const char* above; // the lines above, '|' between them, top first
        bool inside;
    } rows[] = {
        { "LABEL a|  TEXT HELP|  Some words", true },
        { "text  help", true },
        { "LABEL a|TEXT HELP|words|  ENDTEXT", false },
        { "TEXT HELP|ENDTEXT|LABEL b", false },
        { "TEXT HELPER", false },
        { "# TEXT HELP", false },
        { "", false },
    };
    for (const auto& row : rows) {
        QStringList lines = QString::fromLatin1(row.above).split(u'|');
        const auto previous = [&lines]() -> std::optional<QString> {
            return lines.isEmpty() ? std::nullopt : std::optional<QString>(lines.takeLast());
        };
        EXPECT_EQ(InHelpText(previous), row.inside) << row.above;
    }
    const auto offered = [](const char* typed) {
        const std::optional<DirectiveChoice> choice = DirectiveChoiceAt(QString::fromLatin1(typed), 2, true);
        return choice ? static_cast<int>(choice->directives.size()) : 0;
    };
    EXPECT_EQ(offered("en"), 1);
    EXPECT_EQ(offered("ti"), 0);
    int endless = 0; // a document of only text: the look stops
    EXPECT_FALSE(InHelpText([&endless] { return ++endless, std::optional<QString>(QStringLiteral("words")); }));
    EXPECT_EQ(endless, HelpTextLook);
}

class DirectivesHelpTest : public EditorFixture {
protected:
    QAbstractItemView* Popup() const
    {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == u"directiveCompletions")
                return qobject_cast<QAbstractItemView*>(widget);
        }
        return nullptr;
    }
    QString LastLine() const { return Editor->document()->lastBlock().text(); }
};

TEST_F(DirectivesHelpTest, TwoLettersOfferTheKeywordsAndEnterWritesOne)
{
    SetDocument("DEFAULT linux\r\nLABEL linux\r\n KERNEL vmlinuz\r\n");
    QTest::keyClicks(Editor, "t");
    QApplication::processEvents();
    QAbstractItemView* popup = Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_FALSE(popup->isVisible()); // one letter is not enough
    QTest::keyClicks(Editor, "i");
    QApplication::processEvents();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->model()->rowCount(), 1);
    EXPECT_TRUE(popup->model()->index(0, 1).data().toString().startsWith(u"TIMEOUT tenths"));
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(LastLine(), u"timeout ");
    // MENU, then its words at once; a letter more narrows them, Down and Tab
    // pick the second.
    QTest::keyClick(Editor, Qt::Key_Return);
    QTest::keyClicks(Editor, "MENU MA");
    QApplication::processEvents();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->model()->rowCount(), 2);
    QTest::keyClicks(Editor, "R");
    QApplication::processEvents();
    EXPECT_EQ(popup->model()->rowCount(), 1);
    QTest::keyClick(Editor, Qt::Key_Backspace);
    QApplication::processEvents();
    QTest::keyClick(popup, Qt::Key_Down);
    QTest::keyClick(popup, Qt::Key_Tab);
    EXPECT_EQ(LastLine(), u"MENU MARGIN ");
    // Ctrl+Space asks with no letter; Esc closes the list and leaves the text.
    QTest::keyClick(Editor, Qt::Key_Return);
    QTest::keyClick(Editor, Qt::Key_Space, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->model()->rowCount(), static_cast<int>(ConfigSyntax::Keywords.size() + 13));
    QTest::keyClick(popup, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(LastLine(), u"");
    EXPECT_TRUE(Bytes().endsWith("MENU MARGIN \r\n"));
}

TEST_F(DirectivesHelpTest, ADisplayFileGetsNoCompletion)
{
    SetDocument("\x0c\x0f"
                "07Welcome\r\n");
    QTest::keyClicks(Editor, "ti");
    QTest::keyClick(Editor, Qt::Key_Space, Qt::ControlModifier);
    QApplication::processEvents();
    QAbstractItemView* popup = Popup();
    EXPECT_TRUE(!popup || !popup->isVisible());
}

TEST_F(DirectivesHelpTest, ReferenceListsEveryDirectiveAndSearches)
{
    Find<QAction>(glavna, "ConfigurationReference1")->trigger();
    auto* reference = glavna.findChild<ConfigurationReference*>();
    ASSERT_NE(reference, nullptr);
    EXPECT_TRUE(reference->isVisible());
    auto* table = Find<QTreeWidget>(*reference, "referenceTable");
    const std::size_t rows = ConfigDirectives::LoaderDescriptions.size() + ConfigDirectives::OtherDescriptions.size()
        + ConfigDirectives::MenuDescriptions.size();
    EXPECT_EQ(table->topLevelItemCount(), static_cast<int>(rows));
    EXPECT_EQ(reference->Search(QString()), static_cast<int>(rows));
    QTest::keyClicks(Find<QLineEdit>(*reference, "referenceSearch"), "master passwd");
    int shown = 0;
    for (int index = 0; index < table->topLevelItemCount(); ++index) {
        if (!table->topLevelItem(index)->isHidden()) {
            ++shown;
            EXPECT_EQ(table->topLevelItem(index)->text(0), u"MENU MASTER PASSWD password");
        }
    }
    EXPECT_EQ(shown, 1);
    table->setCurrentItem(table->topLevelItem(0));
    EXPECT_TRUE(Find<QLabel>(*reference, "referenceDetail")->text().contains(u"one of the words listed under MENU"));
    EXPECT_GT(reference->Search(QStringLiteral("TIMEOUT")), 3);
    EXPECT_EQ(reference->Search(QStringLiteral("nosuchword")), 0);
    // The same one again, not a second.
    Find<QAction>(glavna, "ConfigurationReference1")->trigger();
    EXPECT_EQ(glavna.findChildren<ConfigurationReference*>().size(), 1);
}
