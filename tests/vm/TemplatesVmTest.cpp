// File > New Configuration's trees boot: each template's tree, written with
// Debian's files, shows its menu (or prompt) in QEMU exactly as the
// simulator draws it, before and after a key.
#include "FakeMeasurer.h"
#include "RecordedCaseInVm.h"
#include "RecordedScreen.h"
#include "VmProbes.h"
#include "editor/templates/ConfigTemplates.h"
#include "keys/KeyWords.h"
#include "vesa/VesaMenu.h"
#include "vesa/VesaScreen.h"

#include <QImage>
#include <QJsonDocument>

namespace {

using ConfigTemplates::Template;

struct TemplateCase {
    Template kind;
    const char* name;
    const char* shown; // the text that says the loader is waiting
    const char* key; // pressed in both, then compared again
};
const TemplateCase Cases[] = {
    { Template::Prompt, "Prompt", "boot:", "f1" },
    { Template::Menu, "Menu", "Template menu", "down" },
    { Template::GraphicalMenu, "GraphicalMenu", "", "down" },
    { Template::Pxe, "Pxe", "Template menu", "down" },
};

class TemplateInVm : public ::testing::TestWithParam<TemplateCase> { };

void Press(HeadlessMachine& machine, LoaderSim& loader, const char* keys)
{
    QString error;
    const std::optional<std::vector<KeyPress>> presses = ReadKeys(QString::fromLatin1(keys), error);
    ASSERT_TRUE(presses) << error.toStdString();
    for (const KeyPress& press : *presses) {
        machine.Press(press.qemu);
        loader.Give(press.input);
    }
}

// The machine's picture pixels that differ from the simulator's.
int DifferingPixels(HeadlessMachine& machine, const LoaderSim& loader, const Vesa::Font& font)
{
    const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu();
    if (!graphics)
        return -1;
    const Vesa::Picture ours = Vesa::DrawLoaderMenu(*graphics, font).picture;
    const QImage real = QImage::fromData(machine.Screen(true).png).convertToFormat(QImage::Format_RGB32);
    if (real.size() != QSize(ours.width, ours.height))
        return ours.width * ours.height;
    int differing = 0;
    for (int y = 0; y < real.height(); ++y) {
        for (int x = 0; x < real.width(); ++x)
            differing += (real.pixel(x, y) & 0xFFFFFF) != ours.At(x, y);
    }
    return differing;
}

}

TEST_P(TemplateInVm, ShowsItsMenuAsTheSimulatorDoes)
{
    const TemplateCase& test = GetParam();
    const std::optional<VmTools> tools = VmToolsHere();
    if (!tools || (test.kind == Template::Pxe && tools->pxelinux.isEmpty()))
        GTEST_SKIP() << "the virtual machine's tools are missing";
    const std::optional<Vesa::Font> font = Vesa::BiosFont();
    if (test.kind == Template::GraphicalMenu && !font)
        GTEST_SKIP() << "SeaBIOS's VGA image is missing";
    QTemporaryDir folder;
    const ConfigTemplates::Tree tree
        = ConfigTemplates::Plan(test.kind, ConfigTemplates::Layout::Isolinux, QStringLiteral("Template menu"));
    ASSERT_EQ(ConfigTemplates::Write(tree, folder.path()), QString());
    const BootFiles files = BootFiles::ForConfiguration(folder.filePath(tree.configFile));
    const ConfigImagePlan plan = PlanConfigImage(files, *tools);
    EXPECT_TRUE(plan.notes.isEmpty()) << plan.notes.join(u'\n').toStdString(); // the tree has all it needs
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    HeadlessMachine machine(
        *tools, BuildConfigImage(*tools, plan, work->path()), plan.pxe, work->path(), std::chrono::seconds(120));
    FakeMeasurer measurer;
    TColorConsole console { measurer };
    LoaderSim loader(console, files, LoaderSim::Start::Banner, LoaderVersion::Debian());
    const auto compare = [&] {
        if (test.kind == Template::GraphicalMenu) {
            EXPECT_EQ(DifferingPixels(machine, loader, *font), 0);
            return;
        }
        const VmScreen real = machine.Screen();
        ExpectRecordedScreen(
            ScreenSnapshot::Of(console), QJsonDocument::fromJson(SnapshotOf(real).ToJson(true)).object());
    };
    if (test.kind == Template::GraphicalMenu) {
        // Shown once the picture holds still in graphics mode.
        // Shorter than a second: the countdown changes once a second.
        while (QImage::fromData(machine.Screen(true).png).width() != 640)
            machine.Sleep(200);
        machine.WaitStable(700, true);
    } else {
        while (!ScreenText(machine.Screen()).contains(QString::fromLatin1(test.shown)))
            machine.Sleep(100);
        machine.WaitStable(300);
    }
    // A menu's countdown runs on in the machine: compared after the key only.
    if (test.kind == Template::Prompt)
        compare();
    Press(machine, loader, test.key);
    machine.WaitStable(test.kind == Template::GraphicalMenu ? 1200 : 500, test.kind == Template::GraphicalMenu);
    compare();
}

INSTANTIATE_TEST_SUITE_P(Templates, TemplateInVm, ::testing::ValuesIn(Cases),
    [](const ::testing::TestParamInfo<TemplateCase>& test) { return std::string(test.param.name); });
