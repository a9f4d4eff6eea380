// The linter against the build the tree boots with: directives that build
// does not read, and modules of another build. Each row names the source
// file and release it follows.
#include "FileTree.h"
#include "config/LoaderVersion.h"
#include "lint/ConfigLinter.h"

namespace {

// A build of Known(), or one between them by its release alone.
LoaderVersion Build(const char* name)
{
    for (const LoaderVersion& known : LoaderVersion::Known()) {
        if (known.Name() == QLatin1String(name))
            return known;
    }
    LoaderVersion between;
    between.major = name[0] - '0';
    between.minor = QByteArray(name + 2).toInt();
    between.banner = QByteArray("ISOLINUX ") + name;
    between.origin = LoaderVersion::Origin::Chosen;
    return between;
}

QByteArray Banner(const char* product, const char* release)
{
    return QByteArray("\r\n") + product + ' ' + release + " 2011-12-09 " + '\0' + " Copyright (C) 1994-2011";
}

const QByteArray Elf = QByteArray("\x7f"
                                  "ELF");

}

TEST(VersionLintTest, DirectivesTheTargetBuildDoesNotRead)
{
    struct Row {
        const char* target; // a build of Known()
        const char* line;
        const char* said; // nullptr: nothing; else part of the message
        bool pxe = false;
    };
    const Row rows[] = {
        // com32/elflink/ldlinux/readconfig.c, 5.00 (ef3cb76b); core/keywords.inc 4.05 has no PATH.
        { "4.05", "PATH /lib",
            "PATH came in SYSLINUX 5.00; the loader is ISOLINUX 4.05 (chosen for this tree): "
            "it says \"Unknown keyword in configuration file: PATH\"" },
        { "6.02", "PATH /lib", nullptr },
        { "5.00", "PATH /lib", nullptr },
        // NEWS 5.10: IPAPPEND became SYSAPPEND, SENDCOOKIES came with it.
        { "4.07", "SYSAPPEND 2", "SYSAPPEND came in SYSLINUX 5.10" },
        { "6.03", "SYSAPPEND 2", nullptr },
        { "5.10", "SYSAPPEND 2", nullptr },
        { "5.01", "SYSAPPEND 2",
            "SYSAPPEND came in SYSLINUX 5.10; the loader is ISOLINUX 5.01 (chosen for this tree): "
            "ldlinux.c32 skips the line" },
        { "3.84", "SENDCOOKIES 1", "SENDCOOKIES came in SYSLINUX 5.10" },
        // core/keywords.inc: PXERETRY in 4.05 (4f989f24), not in 3.84.
        { "3.84", "PXERETRY 1", "PXERETRY came in SYSLINUX 4.03" },
        { "4.05", "PXERETRY 1", nullptr },
        { "4.03", "PXERETRY 1", nullptr },
        // core/keywords.inc 3.84 and 4.05: IPAPPEND under %if IS_PXELINUX.
        { "4.05", "IPAPPEND 1", "IPAPPEND is PXELINUX's before SYSLINUX 5.00" },
        { "6.03", "IPAPPEND 1", nullptr },
        { "3.84", "IPAPPEND 1", nullptr, true },
        // com32/menu/readconfig.c 3.84 against 4.05 and NEWS 4.00/4.04.
        { "3.84", "MENU HIDDENKEY x linux",
            "MENU HIDDENKEY came in SYSLINUX 4.04; the loader is ISOLINUX 3.84 "
            "(chosen for this tree): its menu.c32 skips the line" },
        { "4.05", "MENU HIDDENKEY x linux", nullptr },
        { "4.04", "MENU HIDDENKEY x linux", nullptr },
        { "4.03", "MENU HIDDENKEY x linux", "MENU HIDDENKEY came in SYSLINUX 4.04" },
        { "3.84", "MENU HELP help.txt", "MENU HELP came in SYSLINUX 4.00" },
        { "3.84", "MENU IMMEDIATE", "MENU IMMEDIATE came in SYSLINUX 4.00" },
        { "3.84", "MENU NOIMMEDIATE", "MENU NOIMMEDIATE came in SYSLINUX 4.00" },
        { "4.05", "MENU IMMEDIATE", nullptr },
        { "3.84", "MENU CLEAR", "MENU CLEAR came in SYSLINUX 3.85" },
        { "4.05", "MENU CLEAR", nullptr },
        { "3.85", "MENU CLEAR", nullptr },
        { "3.84", "MENU TITLE x", nullptr },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.target) + ": " + row.line);
        QTemporaryDir tree;
        const QString config = WriteInTree(tree, row.pxe ? "pxelinux.cfg/default" : "isolinux/isolinux.cfg",
            QByteArray("DEFAULT l\nLABEL l\n") + row.line + '\n');
        QStringList said;
        for (const FileProblem& found : LintBootConfig(BootFiles::ForConfiguration(config), Build(row.target))) {
            if (found.problem.code == u"directive-not-in-version") {
                EXPECT_EQ(found.problem.line, 3);
                said << found.problem.message;
            }
        }
        ASSERT_EQ(said.size(), row.said ? 1 : 0) << said.join(u'\n').toStdString();
        if (row.said) {
            EXPECT_TRUE(said.front().contains(QString::fromLatin1(row.said))) << said.front().toStdString();
        }
    }
}

// The build is the tree's own loader's, else the chosen one; Debian's 6.04
// for a tree without one checks no module's build.
TEST(VersionLintTest, ModulesOfAnotherBuildThanTheLoader)
{
    struct Row {
        const char* loaderFile; // beside the configuration, or nullptr
        QByteArray loader;
        const char* chosen; // nullptr: the tree's
        QByteArray module;
        const char* config = "isolinux/isolinux.cfg";
        bool mixed;
    };
    const Row rows[] = {
        { "isolinux.bin", Banner("ISOLINUX", "4.05"), nullptr, Elf, "isolinux/isolinux.cfg", true },
        { "isolinux.bin", Banner("ISOLINUX", "4.05"), nullptr, "flat COM32", "isolinux/isolinux.cfg", false },
        { "isolinux.bin", Banner("ISOLINUX", "6.03"), nullptr, "flat COM32", "isolinux/isolinux.cfg", true },
        { "isolinux.bin", Banner("ISOLINUX", "6.03"), "3.84", Elf, "isolinux/isolinux.cfg", true },
        { nullptr, {}, nullptr, "flat COM32", "isolinux/isolinux.cfg", false },
        { nullptr, {}, "4.07", Elf, "isolinux/isolinux.cfg", true },
        { "../pxelinux.0", Banner("PXELINUX", "3.84"), nullptr, Elf, "pxelinux.cfg/default", true },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(
            std::string(row.config) + " " + (row.loader.isEmpty() ? "no loader" : row.loader.mid(2, 13).constData()));
        QTemporaryDir tree;
        const QString config = WriteInTree(tree, QString::fromLatin1(row.config), "UI menu.c32\n");
        const QString folder = QFileInfo(config).path() + u'/';
        if (row.loaderFile)
            WriteInTree(tree, QDir(tree.path()).relativeFilePath(folder + row.loaderFile), row.loader);
        const QString loaderFolder = row.loaderFile ? QFileInfo(folder + row.loaderFile).path() + u'/' : folder;
        WriteInTree(
            tree, QDir(tree.path()).relativeFilePath(loaderFolder + "menu.c32"), row.module); // beside the loader
        const std::optional<LoaderVersion> chosen = row.chosen ? std::optional(Build(row.chosen)) : std::nullopt;
        int mixed = 0;
        for (const FileProblem& found : LintBootConfig(BootFiles::ForConfiguration(config), chosen))
            mixed += found.problem.code == u"module-version-mix";
        EXPECT_EQ(mixed, row.mixed ? 1 : 0);
    }
}

// F-key files as the build reads them: the 3.x/4.x core binds F0 to F10
// (core/keywords.inc 4.05) and writes its prompt right after a file's last
// line (core/ui.inc fk_wrcmd); ldlinux.c32 6.04 binds F0 to F11
// (readconfig.c) and redraws the prompt over that line (cli.c).
TEST(VersionLintTest, FunctionKeyFilesAsTheBuildShowsThem)
{
    struct Row {
        const char* target;
        const char* found; // code and the part of its message that differs
    };
    const Row rows[] = {
        { "6.04", "f0-is-f11 F0 binds F11|fkey-no-final-break after F11 the loader's prompt overwrites it" },
        { "6.03", "f0-is-f11 F0 binds F11|fkey-no-final-break after F11 the loader's prompt overwrites it" },
        { "4.05", "fkey-no-final-break after F10 the loader writes its prompt right after it, on the same row" },
        { "3.84", "fkey-no-final-break after F10 the loader writes its prompt right after it, on the same row" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.target);
        QTemporaryDir tree;
        WriteInTree(tree, "isolinux/f0.txt", "help without a final break");
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 1\nF0 f0.txt\nDEFAULT l\nLABEL l\n");
        QStringList said;
        for (const FileProblem& found : LintBootConfig(BootFiles::ForConfiguration(config), Build(row.target)))
            said << found.problem.code + u' ' + found.problem.message;
        const QStringList expected = QString::fromLatin1(row.found).split(u'|');
        ASSERT_EQ(said.size(), expected.size()) << said.join(u'\n').toStdString();
        for (qsizetype at = 0; at < said.size(); ++at) {
            const QString code = expected[at].section(u' ', 0, 0);
            EXPECT_TRUE(said[at].startsWith(code) && said[at].contains(expected[at].section(u' ', 1)))
                << said[at].toStdString();
        }
    }
}
