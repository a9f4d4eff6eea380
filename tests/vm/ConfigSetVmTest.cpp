// Menus that the image planner must hold as the loader runs them, judged by
// the real loader in QEMU beside the simulator: DEFAULT vesamenu.c32 (no UI
// line), and UI menu.c32 menu.cfg (the menu's own file, which ldlinux.c32
// never reads).
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "RecordedScreen.h"
#include "RecordedSteps.h"
#include "VmProbes.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaMenu.h"
#include "vm/ConfigImage.h"
#include "vm/HeadlessVm.h"

#include <QDir>

#include <QImage>
#include <QJsonDocument>

namespace {

// The machine booted from the plan of the tree's configuration, and the
// simulator on the same tree with the modules it takes from Debian.
struct Booted {
    Booted(const VmTools& tools, const QString& config, const QStringList& modules)
        : work(MakeWorkFolder())
        , machine(tools,
              BuildConfigImage(tools, PlanConfigImage(BootFiles::ForConfiguration(config), tools), work->path()), false,
              work->path(), std::chrono::seconds(90))
        , loader(console, [&] {
            BootFiles files = BootFiles::ForConfiguration(config);
            for (const QString& module : modules)
                files.SetText(QFileInfo(config).dir().filePath(module),
                    "\x7f"
                    "ELF");
            return files;
        }())
    {
    }
    void WaitForSerial(const QByteArray& text)
    {
        while (!machine.Serial().contains(text))
            machine.Sleep(50);
    }
    std::unique_ptr<QTemporaryDir> work;
    HeadlessMachine machine;
    FakeMeasurer measurer;
    TColorConsole console { measurer };
    LoaderSim loader;
};

// Pixels of QEMU's picture that differ from ours.
int Differing(const QImage& real, const Vesa::Picture& ours)
{
    int differing = 0;
    for (int y = 0; y < real.height(); ++y) {
        for (int x = 0; x < real.width(); ++x)
            differing += (real.pixel(x, y) & 0xFFFFFF) != ours.At(x, y);
    }
    return differing;
}

}

TEST(ConfigSetVm, DefaultVesamenuShowsTheMenuTheSimulatorDraws)
{
    const std::optional<VmTools> tools = VmToolsHere();
    const std::optional<PcFont> rom = RomFont(ReadBytes(QString::fromLatin1(Vesa::SeaBiosVgaImage)));
    if (!tools || !rom)
        GTEST_SKIP() << "the virtual machine's tools or SeaBIOS are missing";
    const QString recorded
        = SharedFolder("boottruth/project/vesa/cases/v01_nobg_default/iso/isolinux/isolinux.cfg").path();
    REQUIRE_SHARED(QFile::exists(recorded), "the vesamenu recordings");
    QTemporaryDir tree;
    const QString config = WriteInTree(
        tree, "isolinux/isolinux.cfg", ReadBytes(recorded).replace("UI vesamenu.c32", "DEFAULT vesamenu.c32"));
    Booted run(*tools, config, { "vesamenu.c32", "libutil.c32", "libcom32.c32" });
    run.WaitForSerial("V01");
    run.machine.WaitStable(1200, true);
    const Vesa::PictureDecoder none = [](QByteArrayView) { return std::optional<Vesa::Picture>(); };
    for (const char* key : { "", "down" }) {
        SCOPED_TRACE(key);
        if (*key) {
            run.machine.Press({ key });
            run.loader.Give(*ParseKeyChord(key));
            run.machine.WaitStable(800, true);
        }
        const std::optional<LoaderSim::Graphics> graphics = run.loader.GraphicalMenu();
        ASSERT_TRUE(graphics) << run.loader.Note().toStdString();
        const Vesa::Picture ours = Vesa::DrawMenu(*graphics, *rom, none);
        const QImage real = QImage::fromData(run.machine.Screen(true).png).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(real.size(), QSize(ours.width, ours.height));
        EXPECT_EQ(Differing(real, ours), 0);
    }
}

TEST(ConfigSetVm, TheMenusOwnFileIsInTheImage)
{
    const std::optional<VmTools> tools = VmToolsHere();
    if (!tools)
        GTEST_SKIP() << "the virtual machine's tools are missing";
    QTemporaryDir tree;
    const QString config
        = WriteInTree(tree, "isolinux/isolinux.cfg", "SERIAL 0 115200\nUI menu.c32 menu.cfg\nPROMPT 0\n");
    WriteInTree(tree, "isolinux/menu.cfg",
        "MENU TITLE From menu.cfg\nLABEL one\n MENU LABEL ^One\n KERNEL vmlinuz\nLABEL two\n KERNEL vmlinuz\n");
    Booted run(*tools, config, { "menu.c32", "libutil.c32", "libcom32.c32" });
    run.WaitForSerial("From menu.cfg");
    const VmScreen real = run.machine.WaitStable(500);
    ExpectRecordedScreen(ScreenSnapshot::Of(run.console),
        QJsonDocument::fromJson(
            ScreenSnapshot::OfVgaText(real.text, VmScreen::Cols, VmScreen::Rows, real.cursorColumn, real.cursorRow)
                .ToJson(true))
            .object());
}

// The plan holds every file a menu reads, by absolute names from the TFTP
// root too, and the module DEFAULT runs.
TEST(ConfigSetPlan, HoldsWhatEveryMenuReads)
{
    const std::optional<VmTools> tools = VmToolsHere();
    if (!tools)
        GTEST_SKIP() << "the virtual machine's tools are missing";
    QTemporaryDir tree;
    WriteInTree(tree, "pxelinux.cfg/default", "DEFAULT vesamenu.c32 /pxelinux.cfg/menu.cfg ~\n");
    WriteInTree(tree, "pxelinux.cfg/menu.cfg", "MENU INCLUDE /pxelinux.cfg/more.cfg More\nINCLUDE sub/tail.cfg\n");
    WriteInTree(tree, "pxelinux.cfg/more.cfg", "LABEL deep\n");
    WriteInTree(tree, "sub/tail.cfg", "LABEL tail\n");
    const ConfigImagePlan plan
        = PlanConfigImage(BootFiles::ForConfiguration(tree.filePath("pxelinux.cfg/default")), *tools);
    QStringList held;
    for (const ConfigImagePlan::File& file : plan.files)
        held << QString::fromLatin1(file.imagePath);
    for (const char* path : { "/pxelinux.cfg/default", "/pxelinux.cfg/menu.cfg", "/pxelinux.cfg/more.cfg",
             "/sub/tail.cfg", "/vesamenu.c32", "/libcom32.c32", "/libutil.c32" })
        EXPECT_TRUE(held.contains(QString::fromLatin1(path))) << path << " in " << held.join(u' ').toStdString();
}
