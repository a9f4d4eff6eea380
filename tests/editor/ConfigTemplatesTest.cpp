// File > New Configuration's trees: each passes the linter with no finding
// in each layout, holds what the loader needs, and says which package is
// missing instead of writing half a tree.
#include "editor/templates/ConfigTemplates.h"
#include "config/BootFiles.h"
#include "lint/ConfigLinter.h"
#include "vesa/VesaPixels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ConfigTemplates;

namespace {

// Debian's module folder, when syslinux-common, isolinux and pxelinux are here.
QString DebianModules()
{
    const VmSearch debian;
    const QString bios = debian.ldlinuxFolders.first();
    const bool here = QFileInfo(bios + "/ldlinux.c32").isFile()
        && QFileInfo(debian.isolinuxFolders.first() + "/isolinux.bin").isFile()
        && QFileInfo(debian.pxelinuxFolders.first() + "/pxelinux.0").isFile();
    if (!here && qgetenv("CI") == "true")
        ADD_FAILURE() << "Debian's syslinux-common, isolinux and pxelinux are needed here";
    return here ? bios : QString();
}

QStringList Paths(const Tree& tree)
{
    QStringList paths;
    for (const TreeFile& file : tree.files)
        paths << file.path;
    return paths;
}

}

TEST(ConfigTemplatesTest, EachTreeLintsCleanAndHoldsItsFiles)
{
    if (DebianModules().isEmpty())
        GTEST_SKIP() << "Debian's loader files are missing";
    const struct {
        Template kind;
        Layout layout;
        const char* config;
        const char* files; // some of the tree's other files, ' ' between them
    } rows[] = {
        { Template::Prompt, Layout::Isolinux, "isolinux/isolinux.cfg",
            "isolinux/isolinux.bin isolinux/ldlinux.c32 isolinux/boot.msg isolinux/f1.txt isolinux/f10.txt "
            "isolinux/chain.c32 isolinux/libcom32.c32 isolinux/libutil.c32 isolinux/poweroff.c32" },
        { Template::Prompt, Layout::Syslinux, "syslinux/syslinux.cfg", "syslinux/ldlinux.c32 syslinux/f5.txt" },
        { Template::Menu, Layout::Isolinux, "isolinux/isolinux.cfg", "isolinux/menu.c32 isolinux/libutil.c32" },
        { Template::Menu, Layout::Syslinux, "syslinux/syslinux.cfg", "syslinux/menu.c32 syslinux/reboot.c32" },
        { Template::GraphicalMenu, Layout::Isolinux, "isolinux/isolinux.cfg",
            "isolinux/vesamenu.c32 isolinux/libcom32.c32 isolinux/splash.png" },
        { Template::GraphicalMenu, Layout::Syslinux, "syslinux/syslinux.cfg", "syslinux/splash.png" },
        { Template::Pxe, Layout::Isolinux, "pxelinux.cfg/default", "pxelinux.0 ldlinux.c32 menu.c32 libutil.c32" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.config);
        const Tree tree = Plan(row.kind, row.layout, QStringLiteral("Rescue\tdisk \u00e9\n"));
        ASSERT_EQ(tree.problem, QString());
        EXPECT_EQ(tree.configFile, QString::fromLatin1(row.config));
        for (const QString& file : QString::fromLatin1(row.files).split(u' '))
            EXPECT_TRUE(Paths(tree).contains(file)) << file.toStdString();
        EXPECT_FALSE(Paths(tree).contains("syslinux/isolinux.bin"));
        EXPECT_FALSE(tree.notes.isEmpty());
        QTemporaryDir folder;
        ASSERT_EQ(Write(tree, folder.path()), QString());
        const QString config = folder.filePath(tree.configFile);
        QFile written(config);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        const QByteArray text = written.readAll();
        // The title on one line, of bytes the loader shows as they are.
        EXPECT_TRUE(text.contains(row.kind == Template::Prompt ? "# Rescue disk:" : "\nMENU TITLE Rescue disk\n"))
            << text.constData();
        for (const FileProblem& found : LintBootConfig(BootFiles::ForConfiguration(config)))
            ADD_FAILURE() << found.file.toStdString() << ":" << found.problem.line << " "
                          << found.problem.code.toStdString() << " " << found.problem.message.toStdString();
        // Writing again replaces nothing and says why.
        EXPECT_TRUE(Write(tree, folder.path()).contains(u"there already"));
    }
}

TEST(ConfigTemplatesTest, AMissingDebianFileNamesItsPackageAndNothingIsWritten)
{
    QTemporaryDir empty;
    QTemporaryDir modules;
    QFile(modules.filePath("ldlinux.c32")).open(QIODevice::WriteOnly);
    const struct {
        Template kind;
        Layout layout;
        VmSearch search;
        const char* package;
    } rows[] = {
        { Template::Menu, Layout::Isolinux, { {}, { empty.path() }, { empty.path() }, { empty.path() } },
            "syslinux-common" },
        { Template::Menu, Layout::Isolinux, { {}, { empty.path() }, { empty.path() }, { modules.path() } },
            "install Debian's isolinux" },
        { Template::Menu, Layout::Syslinux, { {}, { empty.path() }, { empty.path() }, { modules.path() } },
            "menu.c32 is missing" },
        { Template::Pxe, Layout::Isolinux, { {}, { empty.path() }, { empty.path() }, { modules.path() } },
            "install Debian's pxelinux" },
    };
    for (const auto& row : rows) {
        const Tree tree = Plan(row.kind, row.layout, QStringLiteral("Menu"), row.search);
        EXPECT_TRUE(tree.problem.contains(QString::fromLatin1(row.package))) << tree.problem.toStdString();
        QTemporaryDir folder;
        EXPECT_EQ(Write(tree, folder.path()), tree.problem);
        EXPECT_TRUE(QDir(folder.path()).isEmpty());
    }
}

TEST(ConfigTemplatesTest, LibrariesFollowedAsTheLoaderLoadsThem)
{
    const QString bios = DebianModules();
    if (bios.isEmpty())
        GTEST_SKIP() << "Debian's loader files are missing";
    EXPECT_EQ(ModuleClosure(bios, { "vesamenu.c32", "reboot.c32", "absent.c32" }).join(u' '),
        "vesamenu.c32 reboot.c32 libutil.c32 libcom32.c32");
    EXPECT_EQ(ModuleClosure(bios, { "poweroff.c32" }).join(u' '), "poweroff.c32");
}

TEST(ConfigTemplatesTest, TheBackgroundFillsTheMenusScreen)
{
    const Vesa::Background read = Vesa::ReadBackground(BackgroundPicture(), 640, 480);
    EXPECT_EQ(read.problem, QString());
    EXPECT_EQ(read.width, 640);
    EXPECT_EQ(read.height, 480);
    EXPECT_NE(read.screen.At(0, 0), read.screen.At(0, 479)); // a fade, not one colour
}
