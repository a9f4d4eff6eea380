// The simulator judged by the real loader: every recorded configuration is
// booted in QEMU from an image of its tree and played with its steps' keys
// over QEMU's machine protocol; at every shot the simulator, given the same
// keys, must draw exactly the screen the machine shows.
#include "FakeMeasurer.h"
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
#include <QRegularExpression>

namespace {

ScreenSnapshot SnapshotOf(const VmScreen& real)
{
    return ScreenSnapshot::OfVgaText(real.text, VmScreen::Cols, VmScreen::Rows, real.cursorColumn, real.cursorRow);
}

QString ScreenText(const VmScreen& screen) { return QString::fromUtf8(SnapshotOf(screen).ToText()); }

class ConfigInVm : public ::testing::TestWithParam<std::string> { };

// Boots a recorded case and plays its steps on the machine and on the
// simulator alike; at each shot, shot(name) compares them.
void PlayInVm(
    const QDir& folder, LoaderSim& loader, HeadlessMachine& machine, const std::function<void(const QString&)>& shot)
{
    qsizetype serialSeen = 0;
    const auto waitFor = [&](const std::function<bool()>& met) {
        while (!met())
            machine.Sleep(50);
    };
    for (const RecordedStep& step : ReadRecordedSteps(ReadBytes(folder.filePath("steps")))) {
        switch (step.kind) {
        case RecordedStep::Kind::Key:
        case RecordedStep::Kind::Type: {
            serialSeen = machine.Serial().size();
            QString error;
            const std::optional<std::vector<KeyPress>> presses = StepPresses(step, error);
            ASSERT_TRUE(presses) << error.toStdString();
            for (const KeyPress& press : *presses) {
                machine.Press(press.qemu);
                loader.Give(press.input);
            }
            break;
        }
        case RecordedStep::Kind::Sleep:
            machine.Sleep(step.milliseconds);
            loader.Sleep(step.milliseconds);
            break;
        case RecordedStep::Kind::WaitStable: machine.WaitStable(step.milliseconds, step.argument == u"picture"); break;
        case RecordedStep::Kind::WaitText:
        case RecordedStep::Kind::WaitSerial:
        case RecordedStep::Kind::WaitNewSerial: {
            const QRegularExpression pattern(step.argument, QRegularExpression::DotMatchesEverythingOption);
            waitFor([&] {
                if (step.kind == RecordedStep::Kind::WaitText)
                    return pattern.match(ScreenText(machine.Screen())).hasMatch();
                const QByteArray serial = machine.Serial();
                return pattern
                    .match(QString::fromLatin1(
                        step.kind == RecordedStep::Kind::WaitSerial ? serial : serial.mid(serialSeen)))
                    .hasMatch();
            });
            // What matched may still be being drawn: a moment's stillness (the
            // countdown changes once a second).
            machine.WaitStable(150);
            if (step.timeoutRuns)
                loader.RunOutTimeout();
            break;
        }
        case RecordedStep::Kind::Shot: {
            SCOPED_TRACE(step.argument.toStdString());
            shot(step.argument);
            break;
        }
        case RecordedStep::Kind::Other: break;
        }
    }
}

// A recorded case booted in QEMU from an image of its tree, beside the
// simulator on the same files (with the modules the machine is given from
// Debian).
struct RecordedCaseInVm {
    RecordedCaseInVm(const VmTools& tools, const QDir& folder)
        : config(folder.filePath("iso/isolinux/isolinux.cfg"))
        , work(MakeWorkFolder())
        , machine(tools,
              BuildConfigImage(tools, PlanConfigImage(BootFiles::ForConfiguration(config), tools), work->path()), false,
              work->path(), std::chrono::seconds(90))
        , loader(console, RecordedCaseFiles(folder, config))
    {
    }
    QString config;
    std::unique_ptr<QTemporaryDir> work;
    HeadlessMachine machine;
    FakeMeasurer measurer;
    TColorConsole console { measurer };
    LoaderSim loader;
};

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
