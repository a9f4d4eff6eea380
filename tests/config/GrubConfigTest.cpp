// grub.cfg read as GRUB's script reader cuts it: words and quoting, the
// blocks, the menu's items with their options, and where it stops. The
// files in grub/ are written in the shapes Debian's and Ubuntu's live discs
// and grub-mkconfig give their grub.cfg.
#include "config/GrubConfig.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Words(const GrubCommand& command)
{
    QByteArray out;
    for (const GrubWord& word : command.words)
        out += (out.isEmpty() ? "" : "|") + word.text;
    return out;
}

QByteArray Sample(const char* name)
{
    QFile file(QByteArray(GLIMRA_SOURCE_DIR "/tests/config/grub/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}

TEST(GrubConfigTest, WordsAsGrubCutsThem)
{
    const struct {
        const char* text;
        const char* words; // each command's words joined by |, commands by /
    } rows[] = {
        { "set timeout=5", "set|timeout=5" },
        { "  echo   a\tb  ", "echo|a|b" },
        { "echo 'a b' \"c d\" e\\ f", "echo|a b|c d|e f" },
        { "echo 'it'\\''s' 'a\\b'", "echo|it's|a\\b" },
        // In "…" only $ " \ and a newline are escaped; other backslashes stay.
        { "echo \"x\\$y\" \"a\\\"b\" \"\\q\" \"\\\\\"", "echo|x$y|a\"b|\\q|\\" },
        { "echo \"a\\\nb\" c\\\nd", "echo|ab|cd" },
        // Variables kept as written, in and out of quotes.
        { "linux /k ip=${net_default_ip} $x \"$y z\" ${1}b $? $#",
            "linux|/k|ip=${net_default_ip}|$x|$y z|${1}b|$?|$#" },
        { "echo $\"translated\"", "echo|translated" },
        // Comments start at a word's start only.
        { "echo a#b # a comment\n#echo no", "echo|a#b" },
        { "a;b\nc ;\n\nd", "a/b/c/d" },
        { "x=1 \\\n y", "x=1|y" },
        { "echo ''", "echo|" },
        { "echo a\r\nb", "echo|a/b" },
    };
    for (const auto& row : rows) {
        const GrubConfig config = ReadGrubConfig(row.text);
        ASSERT_FALSE(config.error) << row.text << ": " << config.error->message.constData();
        QByteArray got;
        for (const GrubCommand& command : config.commands)
            got += (got.isEmpty() ? "" : "/") + Words(command);
        EXPECT_EQ(got, row.words) << row.text;
    }
    const GrubConfig quoted = ReadGrubConfig("echo 'a\nb' \"c\nd\"\nls\n");
    ASSERT_EQ(quoted.commands.size(), 2u);
    EXPECT_EQ(quoted.commands[0].words[1].raw, "'a\nb'");
    EXPECT_EQ(quoted.commands[0].endLine, 3);
    EXPECT_EQ(quoted.commands[1].line, 4);
}

TEST(GrubConfigTest, BlocksKeepTheirArmsBodiesAndLines)
{
    const QByteArray text = "if a; then\n b\nelif c\nthen d; else e; f\nfi\n"
                            "for x in 1 \"2 3\"; do echo $x; done\n"
                            "while p; do q; done; until r\ndo s; done\n"
                            "function fn {\n t\n}\n"
                            "menuentry 'One' --class a --class=b --id one --hotkey=o --users alice,bob x y {\n"
                            "\tlinux /vmlinuz quiet\n\tinitrd /a /b\n}\n"
                            "submenu --unrestricted -- \"--More\" {\n menuentry Inner { true }\n"
                            " if u; then menuentry Maybe { v; }; fi\n}\n"
                            "menuentry '' { true; }\n";
    const GrubConfig config = ReadGrubConfig(text);
    ASSERT_FALSE(config.error) << config.error->message.constData() << " on " << config.error->line;
    ASSERT_EQ(config.commands.size(), 8u);
    const GrubCommand& ifs = config.commands[0];
    EXPECT_EQ(ifs.block, GrubBlock::If);
    ASSERT_EQ(ifs.branches.size(), 3u);
    EXPECT_EQ(Words(ifs.branches[1].condition[0]), "c");
    EXPECT_EQ(Words(ifs.branches[1].body[0]), "d");
    EXPECT_TRUE(ifs.branches[2].condition.empty());
    EXPECT_EQ(ifs.branches[2].body.size(), 2u);
    EXPECT_EQ(ifs.endLine, 5);
    EXPECT_EQ(Words(config.commands[1]), "x|1|2 3");
    EXPECT_EQ(Words(config.commands[1].branches[0].body[0]), "echo|$x");
    EXPECT_EQ(config.commands[2].block, GrubBlock::While);
    EXPECT_EQ(config.commands[3].block, GrubBlock::Until);
    EXPECT_EQ(Words(config.commands[3].branches[0].condition[0]), "r");
    EXPECT_EQ(config.commands[4].block, GrubBlock::Function);
    EXPECT_EQ(config.commands[4].line, 9);
    EXPECT_EQ(config.commands[5].source, "\n\tlinux /vmlinuz quiet\n\tinitrd /a /b\n");

    ASSERT_EQ(config.items.size(), 3u);
    const GrubItem& one = config.items[0];
    EXPECT_EQ(one.title, "One");
    EXPECT_EQ(one.id, "one");
    EXPECT_EQ(one.hotkey, "o");
    EXPECT_EQ(one.classes, (std::vector<QByteArray> { "a", "b" }));
    EXPECT_EQ(one.users, QByteArray("alice,bob"));
    EXPECT_FALSE(one.unrestricted);
    EXPECT_EQ(one.arguments, (std::vector<QByteArray> { "x", "y" }));
    EXPECT_EQ(one.line, 12);
    ASSERT_EQ(one.body.size(), 2u);
    EXPECT_EQ(Words(one.body[1]), "initrd|/a|/b");
    EXPECT_EQ(one.body[1].line, 14);
    const GrubItem& more = config.items[1];
    EXPECT_TRUE(more.submenu);
    EXPECT_EQ(more.title, "--More");
    EXPECT_EQ(more.id, "--More"); // GRUB's id is the title when none is given
    EXPECT_TRUE(more.unrestricted);
    EXPECT_FALSE(more.users);
    ASSERT_EQ(more.items.size(), 2u);
    EXPECT_FALSE(more.items[0].conditional);
    EXPECT_TRUE(more.items[1].conditional);
    EXPECT_EQ(GrubItemAt(config, { 1, 1 })->title, "Maybe");
    EXPECT_EQ(GrubItemAt(config, { 1, 2 }), nullptr);
    EXPECT_EQ(GrubItemAt(config, { 0, 0 }), nullptr);
    EXPECT_EQ(config.items[2].title, "");
}

TEST(GrubConfigTest, WhereItStops)
{
    const struct {
        QByteArray text;
        int line;
        const char* message;
    } rows[] = {
        { "echo 'abc\n\n", 1, "the ' opened here is never closed" },
        { "echo ok\necho \"abc\\\"\n", 2, "the \" opened here is never closed" },
        { "menuentry x {\n linux /a\n", 1, "the { of this menuentry is never closed" },
        { "menuentry x\n{\n echo\n}\n", 2, "a { where a command's name should stand" },
        { "function f\n{ a; }\n", 1, "the function has no { … } block on its line" },
        { "menuentry x { }", 1, "GRUB refuses the empty { } block of the menuentry on line 1" },
        { "function f {\n}", 2, "GRUB refuses the empty { } block of the function on line 1" },
        { "if a; then fi", 1, "GRUB refuses the empty then part of the if on line 1" },
        { "if a; then b; else\nfi", 2, "GRUB refuses the empty else part of the if on line 1" },
        { "while a; do done", 1, "GRUB refuses the empty body of the while on line 1" },
        { "until\ndo b; done", 2, "GRUB refuses the empty condition of the until on line 1" },
        { ";", 1, "a ; with no command before it" },
        { "a;\n;b", 2, "a ; with no command before it" },
        { "a;;b", 1, "GRUB's script has no ;;" },
        { "echo $", 1, "a $ that names no variable" },
        { "echo \"a$\"", 1, "a $ that names no variable" },
        { "echo ${a b}", 1, "a $ that names no variable" },
        { "echo ${}", 1, "a $ that names no variable" },
        { "echo $-", 1, "a $ that names no variable" },
        { "echo a\\", 1, "a \\ at the end of the file escapes nothing" },
        { "echo\n}\n", 2, "a } that closes nothing" },
        { "{ echo; }", 1, "a { where a command's name should stand" },
        { "linux /a {\n}", 2, "GRUB refuses the empty { } block of the linux on line 1" },
        { "if true; then\n echo\n", 2, "the if on line 1 has no fi" },
        { "if true\n echo\nfi", 3, "the if on line 1 has no then" },
        { "if a; then b; fi; done", 1, "a done without its for, while or until" },
        { "echo\n  fi", 2, "a fi without its if" },
        { "menuentry x { done }", 1, "a done without its for, while or until" },
        { "for x in a b; echo; done", 1, "the for on line 1 has no do" },
        { "for; do done", 1, "a for without a variable's name" },
        { "for x y; do done", 1, "a for without in" },
        { "while a; do b\n", 1, "the while on line 1 has no done" },
        { "echo a | b", 1, "GRUB's script has no | (pipes and redirections)" },
        { "echo a > b", 1, "GRUB's script has no >" },
        // A quote left open inside a block: the quote is the reason.
        { "if a; then\n echo\n echo \"oops\nfi\n", 3, "the \" opened here is never closed" },
        { QByteArray("if a; then ").repeated(65) + "b; " + QByteArray("fi; ").repeated(65), 1,
            "blocks nested deeper than Glimra reads" },
    };
    for (const auto& row : rows) {
        const GrubConfig config = ReadGrubConfig(row.text);
        ASSERT_TRUE(config.error) << row.text.constData();
        EXPECT_EQ(config.error->line, row.line) << row.text.constData();
        EXPECT_TRUE(config.error->message.startsWith(row.message))
            << row.text.constData() << ": " << config.error->message.constData();
    }
    // What came before the fault is kept; 64 levels still read.
    EXPECT_EQ(ReadGrubConfig("set a=1\nmenuentry x {\n").commands.size(), 1u);
    EXPECT_FALSE(
        ReadGrubConfig(QByteArray("if a; then ").repeated(64) + "b; " + QByteArray("fi; ").repeated(64)).error);
    EXPECT_TRUE(ReadGrubConfig(QByteArray(5 << 20, ' ')).error);
}

TEST(GrubConfigTest, RealShapesRead)
{
    const struct {
        const char* file;
        const char* titles; // the items, a submenu's own in [ ], conditional ones with ?
    } rows[] = {
        { "debian-live.cfg",
            "Live system (amd64),Live system (amd64 fail-safe mode),?Advanced install options ...[],"
            "Utilities...[?UEFI Firmware Settings]" },
        { "ubuntu.cfg",
            "Try or Install Ubuntu,Ubuntu (safe graphics),?Boot from next volume,?UEFI Firmware Settings,?Test "
            "memory" },
        { "installed.cfg",
            "Debian GNU/Linux,Advanced options for Debian GNU/Linux[Debian GNU/Linux, with Linux 6.1.0-9-amd64 "
            "(recovery mode)]" },
    };
    const std::function<QByteArray(const std::vector<GrubItem>&)> titles = [&](const std::vector<GrubItem>& items) {
        QByteArray out;
        for (const GrubItem& item : items) {
            out += (out.isEmpty() ? "" : ",") + QByteArray(item.conditional ? "?" : "") + item.title;
            if (item.submenu)
                out += "[" + titles(item.items) + "]";
        }
        return out;
    };
    for (const auto& row : rows) {
        const QByteArray text = Sample(row.file);
        ASSERT_FALSE(text.isEmpty()) << row.file;
        const GrubConfig config = ReadGrubConfig(text);
        ASSERT_FALSE(config.error) << row.file << ": " << config.error->line << " "
                                   << config.error->message.constData();
        EXPECT_EQ(titles(config.items), row.titles) << row.file;
    }
    const GrubConfig debian = ReadGrubConfig(Sample("debian-live.cfg"));
    EXPECT_EQ(Words(debian.commands[0]), "source|/boot/grub/config.cfg");
    EXPECT_EQ(debian.items[0].hotkey, "l");
    EXPECT_EQ(Words(debian.items[0].body[0]).split('|').last(), "findiso=${iso_path}");
    // Options behind a variable are GRUB's to expand: here they stay words.
    const GrubConfig installed = ReadGrubConfig(Sample("installed.cfg"));
    EXPECT_EQ(
        installed.items[0].arguments, (std::vector<QByteArray> { "$menuentry_id_option", "gnulinux-simple-4f1c" }));
    EXPECT_EQ(installed.items[0].classes.size(), 4u);
}

TEST(GrubConfigTest, QuotingAndExpandingRoundTrip)
{
    const auto value = [](const QByteArray& name) {
        return name == "prefix" ? QByteArray("(cd)/boot/grub") : QByteArray("<" + name + ">");
    };
    const struct {
        const char* text;
        const char* expanded;
    } rows[] = {
        { "plain", "plain" },
        { "it's a \"title\" $x {}", "it's a \"title\" $x {}" },
        { "", "" },
        { "back\\slash;", "back\\slash;" },
    };
    for (const auto& row : rows) {
        const QByteArray quoted = GrubQuote(row.text);
        const GrubConfig config = ReadGrubConfig("echo " + quoted);
        ASSERT_EQ(config.commands.size(), 1u) << quoted.constData();
        EXPECT_EQ(config.commands[0].Arg(1), row.text) << quoted.constData();
        EXPECT_EQ(ExpandGrubWord(config.commands[0].words[1], value), row.expanded);
    }
    EXPECT_EQ(GrubQuote("/casper/vmlinuz"), "/casper/vmlinuz");
    const GrubConfig config
        = ReadGrubConfig("set theme=$prefix/glimra/theme.txt \"${prefix}/a b\" '$prefix' \\$prefix $1");
    const std::vector<GrubWord>& words = config.commands[0].words;
    EXPECT_EQ(ExpandGrubWord(words[1], value), "theme=(cd)/boot/grub/glimra/theme.txt");
    EXPECT_EQ(ExpandGrubWord(words[2], value), "(cd)/boot/grub/a b");
    EXPECT_EQ(ExpandGrubWord(words[3], value), "$prefix");
    EXPECT_EQ(ExpandGrubWord(words[4], value), "$prefix");
    EXPECT_EQ(ExpandGrubWord(words[5], value), "<1>");
}

// GRUB's own grub-script-check (grub-common) says whether each reads; so
// must the reader.
TEST(GrubConfigTest, AgreesWithGrubScriptCheck)
{
    const QString check = QStandardPaths::findExecutable("grub-script-check");
    if (check.isEmpty()) {
        if (qEnvironmentVariable("CI") == "true")
            FAIL() << "grub-script-check (grub-common) is missing";
        GTEST_SKIP() << "grub-script-check (grub-common) is missing";
    }
    const char* const snippets[] = {
        "function f\n{\n echo\n}\n",
        "for x in a b\ndo\n echo\ndone\n",
        "if a\nthen\n b\nfi\n",
        "a;;b\n",
        ";\n",
        "a\n\n;\n",
        "if true then b; fi\n",
        "echo fi then done do in\n",
        "menuentry x {\n}\n",
        "menuentry x { }\n",
        "menuentry {\n echo\n}\n",
        "menuentry x\n{\n echo\n}\n",
        "menuentry x\necho\n",
        "function f { }\n",
        "function f { a; }\nf\n",
        "while a; do done\n",
        "for x; do b; done\n",
        "for x in; do b; done\n",
        "echo a&&b\n",
        "echo a|b\n",
        "echo $\n",
        "echo ${a b}\n",
        "echo ${}\n",
        "echo \"$\"\n",
        "echo '$'\n",
        "echo 'a\n",
        "echo a\\",
        "{ echo; }\n",
        "if a; then fi\n",
        "if ; then b; fi\n",
        "menuentry x { echo }\n",
        "menuentry x --id=y { echo; }; echo\n",
        "echo a{b}\n",
        "echo a}b\n",
        "echo }\n",
        "echo \\}\n",
        "echo \"}\"\n",
        "set a=b;echo $a\n",
        "! true\n",
        "if ! true; then a; fi\n",
        "echo [ a ]\n",
        "echo #x\n",
        "echo a#x\n",
        "submenu x {\n menuentry y {\n }\n}\n",
        "submenu x {\n menuentry y { a; }\n}\n",
        "if a; then menuentry x { b; }; fi\n",
        "until a; do b; done\n",
        "for x in a; do echo; done; for\n",
        "echo $1 $? $# $@ $* ${1} ${?}\n",
        "echo \"a\\\nb\" \\\n c\n",
        "echo $\"i18n\"\n",
        "if a; then b; elif c; then d; "
        "else e; fi\n",
        "if a; then b; elif c; then fi\n",
        "linux /a { b; }\n",
        "echo a\nfi\n",
        "a; ;\n",
        "x=1 y=2\n",
        "echo ${a-b}\n",
        "echo $a-b\n",
    };
    QTemporaryDir folder;
    for (const char* snippet : snippets) {
        QFile file(folder.filePath("grub.cfg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(snippet);
        file.close();
        QProcess process;
        process.start(check, { file.fileName() });
        ASSERT_TRUE(process.waitForFinished(10000));
        const bool grubReads = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
        const GrubConfig config = ReadGrubConfig(snippet);
        EXPECT_EQ(!config.error, grubReads) << snippet << (config.error ? config.error->message.constData() : "");
    }
}
