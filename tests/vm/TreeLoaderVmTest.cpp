// A tree that ships its own loader boots with it: the machine's banner row
// is that build's, as the simulator given the detected build prints it.
#include "FakeMeasurer.h"
#include "FileTree.h"
#include "SharedMaterial.h"
#include "VmProbes.h"
#include "config/LoaderDetection.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"
#include "vm/ConfigImage.h"
#include "vm/HeadlessVm.h"

namespace {

QByteArray BannerRow(const QByteArray& text, int row)
{
    QByteArray characters;
    for (qsizetype at = row * VmScreen::Cols * 2; at < (row + 1) * VmScreen::Cols * 2 && at < text.size(); at += 2)
        characters += text[at];
    return characters.trimmed();
}

}

TEST(TreeLoaderVm, TheMachineShowsTheTreesOwnBanner)
{
    const std::optional<VmTools> tools = VmToolsHere();
    if (!tools)
        GTEST_SKIP() << "the virtual machine's tools are missing";
    const QDir bin = SharedFolder("boottruth/versions/bin");
    REQUIRE_SHARED(bin.exists(), bin.path().toStdString());
    struct Row {
        const char* version;
        QStringList files; // of versions/bin/VERSION, put in the tree's isolinux/
    };
    const Row rows[] = { { "4.05", { "isolinux.bin" } }, { "6.03", { "isolinux.bin", "ldlinux.c32" } } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        QTemporaryDir tree;
        const QString config = WriteInTree(tree, "isolinux/isolinux.cfg", "PROMPT 1\n");
        for (const QString& name : row.files)
            ASSERT_TRUE(QFile::copy(
                bin.filePath(QString::fromLatin1(row.version) + u'/' + name), tree.filePath("isolinux/" + name)));
        const BootFiles files = BootFiles::ForConfiguration(config);
        const ConfigImagePlan plan = PlanConfigImage(files, *tools);
        EXPECT_TRUE(plan.notes.isEmpty()) << plan.notes.join(u'\n').toStdString();
        const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
        HeadlessMachine machine(
            *tools, BuildConfigImage(*tools, plan, work->path()), false, work->path(), std::chrono::seconds(60));
        while (!BannerRow(machine.Screen().text, 4).startsWith("boot:"))
            machine.Sleep(50);

        FakeMeasurer measurer;
        TColorConsole console { measurer };
        const LoaderVersion version = DetectLoader(files).version;
        EXPECT_EQ(version.Name(), QString::fromLatin1(row.version));
        LoaderSim loader(console, files, LoaderSim::Start::Banner, version);
        const QByteArray banner = BannerRow(machine.Screen().text, 3);
        EXPECT_TRUE(banner.startsWith(QByteArray("ISOLINUX ") + row.version)) << banner.constData();
        EXPECT_EQ(banner, console.ScreenRow(3).trimmed());
        EXPECT_EQ(banner, version.BannerLine());
    }
}
