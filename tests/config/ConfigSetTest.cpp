// One answer for every caller: what a command runs, which module is a menu
// and what it reads, which FONT applies, where CONFIG leads, the loader's own
// files, and the set a file belongs to.
#include "config/ConfigSet.h"
#include "FileTree.h"

namespace {

class ConfigSetTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) { return WriteInTree(tree, name, bytes); }
    BootFiles Files(const QString& config = QStringLiteral("isolinux/isolinux.cfg")) const
    {
        return BootFiles::ForConfiguration(tree.filePath(config));
    }
    // "by module text|graphical files..." of each run.
    std::vector<std::string> Runs(const QByteArray& config)
    {
        Write("isolinux/isolinux.cfg", config);
        const BootFiles files = Files();
        std::vector<std::string> found;
        for (const MenuRun& run :
            MenuRuns(ReadBootConfig(files, files.ConfigPath(), files.StartFolder()), files, files.ConfigPath())) {
            QByteArray line = run.by + ' ' + run.module + (run.kind == MenuKind::Text ? " text" : " graphical")
                + " line " + QByteArray::number(run.place.line);
            for (const QByteArray& file : run.files)
                line += ' ' + file;
            found.push_back(line.toStdString());
        }
        return found;
    }
    QTemporaryDir tree;
};

using Lines = std::vector<std::string>;

}

TEST_F(ConfigSetTest, WhatACommandRunsAndWhichFilesAMenuReads)
{
    const std::pair<QByteArray, std::vector<QByteArray>> files[] = {
        { "", { "/isolinux/isolinux.cfg" } },
        { "menu.cfg", { "/isolinux/menu.cfg" } },
        { "~  extra.cfg", { "/isolinux/isolinux.cfg", "/isolinux/extra.cfg" } },
        { "/pxelinux.cfg/menu.cfg ../../x", { "/pxelinux.cfg/menu.cfg" } },
    };
    for (const auto& [arguments, paths] : files)
        EXPECT_EQ(MenuFiles(arguments, "/isolinux", "/isolinux/isolinux.cfg"), paths) << arguments.constData();

    const std::tuple<QByteArray, KernelKind, QByteArray, QByteArray> lines[] = {
        { ".com32 vesamenu a b", KernelKind::Com32, "vesamenu.c32", "a b" },
        { ".com32 menu.c32", KernelKind::Com32, "menu.c32", "" },
        { ".config /x/o.cfg /x", KernelKind::Config, "/x/o.cfg", "/x" },
        { "menu.c32 m.cfg", KernelKind::Com32, "menu.c32", "m.cfg" },
        { "vmlinuz quiet", KernelKind::Kernel, "vmlinuz", "quiet" },
        { ".nonsense x", KernelKind::Kernel, ".nonsense", "x" },
    };
    for (const auto& [line, kind, name, arguments] : lines) {
        const CommandTarget target = TargetOfLine(line);
        EXPECT_EQ(target.kind, kind) << line.constData();
        EXPECT_EQ(target.name, name) << line.constData();
        EXPECT_EQ(target.arguments, arguments) << line.constData();
    }
    EXPECT_EQ(MenuModuleKind("/isolinux/menu.c32"), MenuKind::Text);
    EXPECT_EQ(MenuModuleKind("vesamenu.c32"), MenuKind::Graphical);
    EXPECT_FALSE(MenuModuleKind("hdt.c32"));
    EXPECT_FALSE(MenuModuleKind("xmenu.c32"));
}

// UI, DEFAULT, ONTIMEOUT, a label, a menu's entry: each runs a menu with the
// files on its command line; the start of a configuration that runs no
// menu runs none.
TEST_F(ConfigSetTest, EveryMenuAConfigurationRuns)
{
    Write("isolinux/m.cfg", "LABEL g\n KERNEL vesamenu.c32\n APPEND g.cfg\n");
    const std::pair<QByteArray, Lines> cases[] = {
        { "UI menu.c32 menu.cfg\n", { "UI /isolinux/menu.c32 text line 1 /isolinux/menu.cfg" } },
        { "PROMPT 0\nDEFAULT vesamenu.c32\n",
            { "DEFAULT /isolinux/vesamenu.c32 graphical line 2 /isolinux/isolinux.cfg" } },
        { "DEFAULT vesamenu\n", {} },
        { "LABEL more\n KERNEL menu.c32\n APPEND other.cfg\n",
            { "LABEL more /isolinux/menu.c32 text line 1 /isolinux/other.cfg" } },
        { "ONTIMEOUT menu.c32 ~ x.cfg\n",
            { "ONTIMEOUT /isolinux/menu.c32 text line 1 /isolinux/isolinux.cfg /isolinux/x.cfg" } },
        { "LABEL g\n COM32 vesamenu\n", { "LABEL g /isolinux/vesamenu.c32 graphical line 1 /isolinux/isolinux.cfg" } },
        { "UI menu.c32\nLABEL sub\n KERNEL /boot/vesamenu.c32\n APPEND sub.cfg\n",
            { "UI /isolinux/menu.c32 text line 1 /isolinux/isolinux.cfg",
                "LABEL sub /boot/vesamenu.c32 graphical line 2 /isolinux/sub.cfg" } },
        { "UI menu.c32 m.cfg\n",
            { "UI /isolinux/menu.c32 text line 1 /isolinux/m.cfg",
                "LABEL g /isolinux/vesamenu.c32 graphical line 1 /isolinux/g.cfg" } },
        { "DEFAULT linux\nLABEL linux\n KERNEL vmlinuz\n", {} },
    };
    for (const auto& [config, runs] : cases)
        EXPECT_EQ(Runs(config), runs) << config.constData();
    // A name without an extension is completed when the file is there.
    Write("isolinux/vesamenu.c32",
        "\x7f"
        "ELF");
    EXPECT_EQ(Runs("DEFAULT vesamenu\n"),
        (Lines { "DEFAULT /isolinux/vesamenu.c32 graphical line 1 /isolinux/isolinux.cfg" }));
}

TEST_F(ConfigSetTest, FontConfigAndTheLoadersOwnFiles)
{
    QByteArray psf("\x36\x04\x00\x08", 4);
    psf += QByteArray(256 * 8, '\x18');
    Write("isolinux/good.psf", psf);
    Write("isolinux/bad.psf", "not a font");
    Write("isolinux/early.psf", QByteArray("\x36\x04\x00\x10", 4) + QByteArray(256 * 16, '\0'));
    Write("isolinux/isolinux.cfg",
        "FONT early.psf\nFONT good.psf\nFONT bad.psf\nFONT gone.psf\nLABEL other\n CONFIG /other/o.cfg /other\n"
        "LABEL same\n CONFIG s.cfg\n");
    const BootFiles files = Files();
    const BootConfig config = ReadBootConfig(files, files.ConfigPath(), files.StartFolder());
    const std::optional<AppliedFont> font = FontThatApplies(config, files);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->imagePath, "/isolinux/good.psf") << "a file that does not load keeps the font";
    EXPECT_EQ(font->font.height, 8);
    const std::vector<NextConfiguration> next = NextConfigurations(config, files, {});
    ASSERT_EQ(next.size(), 2u);
    EXPECT_EQ(next[0].path, "/other/o.cfg");
    EXPECT_EQ(next[0].folder, "/other");
    EXPECT_EQ(next[0].place.line, 5);
    EXPECT_EQ(next[1].path, "/isolinux/s.cfg");
    EXPECT_EQ(next[1].folder, "/isolinux");

    const LoaderPlace cd = LoaderPlaceOf("/boot/isolinux/isolinux.cfg");
    EXPECT_FALSE(cd.pxe);
    EXPECT_EQ(cd.ownFiles,
        (std::vector<QByteArray> {
            "/boot/isolinux/isolinux.bin", "/boot/isolinux/ldlinux.c32", "/boot/isolinux/boot.cat" }));
    const LoaderPlace pxe = LoaderPlaceOf("/pxelinux.cfg/default");
    EXPECT_TRUE(pxe.pxe);
    EXPECT_EQ(pxe.ownFiles, (std::vector<QByteArray> { "/pxelinux.0", "/ldlinux.c32", "/boot.cat" }));
}

// An Arch-like tree: syslinux.cfg CONFIGs archiso_sys.cfg, which INCLUDEs the
// head that runs vesamenu.c32. The set holds them all, a file of it belongs
// to syslinux.cfg, and a CONFIG loop or chain ends.
TEST_F(ConfigSetTest, TheSetAFileBelongsTo)
{
    Write("syslinux/syslinux.cfg",
        "DEFAULT select\nLABEL select\n COM32 whichsys.c32\n APPEND -iso- iso\nLABEL iso\n CONFIG archiso_sys.cfg\n");
    Write("syslinux/archiso_sys.cfg", "INCLUDE archiso_head.cfg\nLABEL arch\n LINUX vmlinuz\n");
    Write("syslinux/archiso_head.cfg", "UI vesamenu.c32 ~ tail.cfg\nCONFIG loop\nLABEL back\n CONFIG syslinux.cfg\n");
    Write("syslinux/tail.cfg", "LABEL tail\n");
    const QString lone = Write("syslinux/lone.cfg", "LABEL lone\n");
    const ConfigSet set = ReadConfigSet(Files("syslinux/syslinux.cfg"));
    ASSERT_EQ(set.members.size(), 2u) << "syslinux.cfg once, though archiso_head.cfg leads back to it";
    EXPECT_EQ(set.members[1].path, "/syslinux/archiso_sys.cfg");
    EXPECT_EQ(set.members[1].from.line, 5);
    EXPECT_FALSE(set.stop);
    EXPECT_EQ(set.ConfigurationFiles(),
        (std::vector<QByteArray> { "/syslinux/syslinux.cfg", "/syslinux/archiso_sys.cfg", "/syslinux/archiso_head.cfg",
            "/syslinux/tail.cfg" }));
    for (const char* member : { "archiso_sys.cfg", "archiso_head.cfg", "tail.cfg" })
        EXPECT_EQ(OwningConfiguration(tree.filePath(QStringLiteral("syslinux/") + member)),
            tree.filePath("syslinux/syslinux.cfg"))
            << member;
    EXPECT_EQ(OwningConfiguration(lone), lone);
    Write("syslinux/inc/deeper.cfg", "LABEL deeper\n");
    Write("syslinux/tail.cfg", "LABEL tail\nINCLUDE inc/deeper.cfg\n");
    EXPECT_EQ(OwningConfiguration(tree.filePath("syslinux/inc/deeper.cfg")), tree.filePath("syslinux/syslinux.cfg"))
        << "found from the folder above";

    for (int n = 0; n < 70; ++n)
        Write(QStringLiteral("isolinux/c%1.cfg").arg(n),
            QStringLiteral("LABEL next\n CONFIG c%1.cfg\n").arg(n + 1).toLatin1());
    const ConfigSet chain = ReadConfigSet(Files("isolinux/c0.cfg"));
    EXPECT_EQ(chain.members.size(), static_cast<std::size_t>(Limits::ConfigRuns));
    ASSERT_TRUE(chain.stop);
    EXPECT_EQ(chain.stop->place.file, QByteArray("/isolinux/c63.cfg"));
}

// A name that starts with / starts at the root of the tree, the TFTP root
// for pxelinux.cfg/, in both readers and for a menu's files.
TEST_F(ConfigSetTest, AbsoluteNamesStartAtTheRoot)
{
    Write("tftp/pxelinux.cfg/default",
        "INCLUDE /pxelinux.cfg/common.cfg\nUI /menus/menu.c32 /pxelinux.cfg/menu.cfg\nLABEL top\n");
    Write("tftp/pxelinux.cfg/common.cfg", "DISPLAY /msgs/boot.msg\n");
    Write("tftp/pxelinux.cfg/menu.cfg", "MENU INCLUDE /pxelinux.cfg/more.cfg More\nINCLUDE ~\n");
    Write("tftp/pxelinux.cfg/more.cfg", "LABEL deep\n");
    const BootFiles files = Files("tftp/pxelinux.cfg/default");
    EXPECT_EQ(files.StartFolder(), "/");
    const BootConfig config = ReadBootConfig(files, files.ConfigPath(), files.StartFolder());
    ASSERT_EQ(config.files.size(), 2u);
    EXPECT_TRUE(config.files[1].found);
    EXPECT_EQ(config.output.at(0).text, "/msgs/boot.msg");
    const std::vector<MenuRun> runs = MenuRuns(config, files, files.ConfigPath());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].module, "/menus/menu.c32");
    ASSERT_EQ(runs[0].menus.files.size(), 4u);
    EXPECT_EQ(runs[0].menus.files[1].imagePath, "/pxelinux.cfg/more.cfg");
    EXPECT_TRUE(runs[0].menus.files[1].found);
    EXPECT_TRUE(runs[0].menus.FindLabel("deep"));
    EXPECT_EQ(runs[0].menus.files[2].imagePath, "/pxelinux.cfg/default") << "INCLUDE ~ is the loader's configuration";
    EXPECT_TRUE(runs[0].menus.FindLabel("top"));
}
