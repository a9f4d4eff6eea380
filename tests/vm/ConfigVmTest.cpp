// The simulator judged by the real loader: every recorded configuration is
// booted in QEMU from an image of its tree and played with its steps' keys
// over QEMU's machine protocol; at every shot the simulator, given the same
// keys, must draw exactly the screen the machine shows.
#include "FakeMeasurer.h"
#include "RecordedCaseInVm.h"
#include "RecordedScreen.h"
#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "VmProbes.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaScreen.h"
#include "vm/ConfigImage.h"
#include "vm/HeadlessVm.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>

namespace {

class ConfigInVm : public ::testing::TestWithParam<std::string> { };

}

TEST_P(ConfigInVm, SimulatorDrawsWhatTheMachineShows)
{
    const std::optional<VmTools> tools = VmToolsHere();
    if (!tools)
        GTEST_SKIP() << "the virtual machine's tools are missing";
    const QDir folder = RecordedCase(GetParam());
    RecordedCaseInVm run(*tools, folder);
    HeadlessMachine& machine = run.machine;
    TColorConsole& console = run.console;
    LoaderSim& loader = run.loader;
    int shots = 0;
    PlayInVm(folder, loader, machine, [&](const QString&) {
        const VmScreen real = machine.Screen();
        ExpectRecordedScreen(
            ScreenSnapshot::Of(console), QJsonDocument::fromJson(SnapshotOf(real).ToJson(true)).object());
        ++shots;
    });
    EXPECT_GT(shots, 0);
}

INSTANTIATE_TEST_SUITE_P(Recorded, ConfigInVm, ::testing::ValuesIn(RecordedCases()),
    [](const ::testing::TestParamInfo<std::string>& recorded) { return recorded.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ConfigInVm);

// vesamenu.c32 judged by the real loader: QEMU's picture at every shot
// equals our picture of the same keys, pixel for pixel, JPEG backgrounds
// (SYSLINUX's own decoder's arithmetic) too.
class GraphicalMenuInVm : public ::testing::TestWithParam<std::string> { };

TEST_P(GraphicalMenuInVm, PictureIsTheMachines)
{
    const std::optional<VmTools> tools = VmToolsHere();
    const std::optional<PcFont> rom = RomFont(ReadBytes(QString::fromLatin1(Vesa::SeaBiosVgaImage)));
    if (!tools || !rom)
        GTEST_SKIP() << "the virtual machine's tools or SeaBIOS are missing";
    const QDir folder(SharedFolder("boottruth/project/vesa/cases").filePath(QString::fromStdString(GetParam())));
    RecordedCaseInVm run(*tools, folder);
    HeadlessMachine& machine = run.machine;
    LoaderSim& loader = run.loader;
    int shots = 0;
    PlayInVm(folder, loader, machine, [&](const QString&) {
        const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu();
        ASSERT_TRUE(graphics);
        const Vesa::Picture ours = Vesa::DrawLoaderMenu(*graphics, *rom).picture;
        const QImage real = QImage::fromData(machine.Screen(true).png).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(real.size(), QSize(ours.width, ours.height));
        // v13's countdown runs on in the machine while the picture is taken.
        const int countdownRow = GetParam() == "v13_layout_shift" ? 28 : -1;
        int differing = 0;
        for (int y = 0; y < real.height(); ++y) {
            if (y >= Vesa::Border + countdownRow * 16 && y < Vesa::Border + (countdownRow + 1) * 16)
                continue;
            for (int x = 0; x < real.width(); ++x) {
                differing += (real.pixel(x, y) & 0xFFFFFF) != ours.At(x, y);
            }
        }
        EXPECT_EQ(differing, 0);
        ++shots;
    });
    EXPECT_GT(shots, 0);
}

std::vector<std::string> GraphicalCases()
{
    std::vector<std::string> cases;
    const QDir recorded = SharedFolder("boottruth/project/vesa/cases");
    for (const QString& name : recorded.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (ReadBytes(recorded.filePath(name + "/iso/isolinux/isolinux.cfg")).contains("UI vesamenu.c32"))
            cases.push_back(name.toStdString());
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Recorded, GraphicalMenuInVm, ::testing::ValuesIn(GraphicalCases()),
    [](const ::testing::TestParamInfo<std::string>& recorded) { return recorded.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(GraphicalMenuInVm);
