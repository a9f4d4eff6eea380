// The directives' descriptions: one for every keyword the readers know, in
// the keyword lists' order, and the facts they state that the readers hold.
#include "config/ConfigDirectives.h"
#include "config/MenuLayout.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <set>

namespace {

// Every word of every directive, lower case.
std::set<QByteArray> DescribedWords()
{
    std::set<QByteArray> words;
    for (const ConfigDirectives::Directive& directive : ConfigDirectives::All()) {
        for (const QByteArray& word : directive.words.toLower().split(' '))
            words.insert(word);
    }
    return words;
}

const ConfigDirectives::Directive* Find(const QByteArray& words)
{
    for (const ConfigDirectives::Directive& directive : ConfigDirectives::All()) {
        if (directive.words == words)
            return &directive;
    }
    return nullptr;
}

}

TEST(ConfigDirectivesTest, EachKeywordListRowHasItsOwnDescription)
{
    for (std::size_t index = 0; index < ConfigSyntax::Keywords.size(); ++index) {
        const ConfigDirectives::Description& row = ConfigDirectives::LoaderDescriptions[index];
        ASSERT_NE(row.syntax, nullptr) << ConfigSyntax::Keywords[index];
        EXPECT_EQ(ConfigDirectives::KeywordsOf(row.syntax).split(' ')[0].toLower(), ConfigSyntax::Keywords[index]);
        EXPECT_GT(qstrlen(row.what), 10u) << row.syntax;
    }
    for (std::size_t index = 0; index < ConfigSyntax::MenuKeywords.size(); ++index) {
        const ConfigDirectives::Description& row = ConfigDirectives::MenuDescriptions[index];
        ASSERT_NE(row.syntax, nullptr) << ConfigSyntax::MenuKeywords[index];
        const QList<QByteArray> words = ConfigDirectives::KeywordsOf(row.syntax).toLower().split(' ');
        ASSERT_GE(words.size(), 2) << row.syntax;
        EXPECT_EQ(words[0], "menu");
        EXPECT_EQ(words[1], ConfigSyntax::MenuKeywords[index]);
        EXPECT_GT(qstrlen(row.what), 10u) << row.syntax;
    }
    // The F-keys one by one, each directive once.
    std::set<QByteArray> seen;
    for (const ConfigDirectives::Directive& directive : ConfigDirectives::All())
        EXPECT_TRUE(seen.insert(directive.words).second) << directive.words.constData();
    for (const char* words : { "F1", "F12", "ENDTEXT", "TEXT HELP", "MENU MASTER PASSWD", "MENU COLOR", "DEFAULT" })
        EXPECT_NE(Find(words), nullptr) << words;
    EXPECT_EQ(Find("F0"), nullptr);
    EXPECT_EQ(Find("F13"), nullptr);
    EXPECT_TRUE(Find("MENU HIDE")->afterMenu);
    EXPECT_FALSE(Find("LABEL")->afterMenu);
}

// A word the readers look for in their sources that no directive holds is
// a keyword without a description.
TEST(ConfigDirectivesTest, EveryWordTheReadersLookForIsDescribed)
{
    const std::set<QByteArray> described = DescribedWords();
    const QRegularExpression looking(QStringLiteral(R"re(LookingAt\([^,()]+, *"([a-z0-9_]+)"\))re"));
    const QDir sources(QStringLiteral(GLIMRA_SOURCE_DIR "/src/config"));
    int found = 0;
    for (const QString& name : sources.entryList({ QStringLiteral("*.cpp"), QStringLiteral("*.h") })) {
        QFile file(sources.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpressionMatch& match : looking.globalMatch(text)) {
            ++found;
            EXPECT_TRUE(described.count(match.captured(1).toUtf8()))
                << name.toStdString() << ": " << match.captured(1).toStdString();
        }
    }
    EXPECT_GT(found, 40); // the readers were found
}

// The layout numbers' rows say the module's defaults.
TEST(ConfigDirectivesTest, LayoutRowsStateTheModulesDefaults)
{
    for (const MenuParamInfo& parameter : MenuParamInfos) {
        const ConfigDirectives::Directive* directive = Find("MENU " + QByteArray(parameter.keyword).toUpper());
        ASSERT_NE(directive, nullptr) << parameter.keyword;
        const QByteArray what = directive->description->what;
        if (parameter.value != 0) {
            EXPECT_TRUE(what.contains(QByteArray::number(parameter.value) + " ")) << what.constData();
        }
    }
}
