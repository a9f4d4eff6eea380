// Other builds judged by the real loader: a recorded case's tree is staged
// with one build's own isolinux.bin, ldlinux.c32 and modules, booted in QEMU
// and played beside the simulator, which plays the build it detects in the
// tree; every shot must match cell for cell. The cases are those where the
// build shows something 6.04 does not.
#include "RecordedCaseInVm.h"
#include "RecordedScreen.h"
#include "RecordedVersions.h"
#include "VmProbes.h"
#include "config/LoaderDetection.h"

#include <QDirIterator>
#include <QJsonDocument>

namespace {

struct BuildCase {
    const char* version;
    const char* name;
};

void PrintTo(const BuildCase& played, std::ostream* out) { *out << played.version << '/' << played.name; }

const BuildCase BuildCases[] = {
    { "3.84", "a2_prompt0_nodefault" }, // the built-in `linux auto`
    { "3.84", "a2_say" },
    { "3.84", "b4_layout" },
    { "4.05", "a2_say" }, // blanks stripped, an empty SAY complained of
    { "4.05", "a2_tab_unknown" }, // Ctrl-U, the kernel message
    { "4.05", "b4_layout" }, // the scroll bar without VSHIFT
    { "6.02", "a2_tab_unknown" },
    { "6.02", "b4_layout" },
    { "6.03", "a2_tab_unknown" }, // `No DEFAULT` after a failed .bin
    { "6.03", "b4_layout" },
};

bool CopyFolder(const QDir& from, const QDir& to)
{
    QDirIterator files(from.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString target = to.filePath(from.relativeFilePath(files.next()));
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(files.filePath(), target))
            return false;
    }
    return true;
}

// The case's tree with the build's loader files beside its configuration:
// its modules but those the build lacks, as its replay staged them.
bool StageTree(const BuildCase& played, const QDir& folder, const QDir& tree)
{
    const QDir bin(SharedFolder("boottruth/versions/bin").filePath(QString::fromLatin1(played.version)));
    const QStringList lacking = RecordedModulesMissing(
        QDir(VersionsFolder(played.version, "shared").filePath(QString::fromLatin1(played.name))));
    QStringList names { "isolinux.bin", "ldlinux.c32" };
    for (const QByteArray& module : ReadBytes(folder.filePath("modules")).split('\n')) {
        if (!module.trimmed().isEmpty() && !lacking.contains(QString::fromUtf8(module.trimmed())))
            names << QString::fromUtf8(module.trimmed());
    }
    if (!CopyFolder(QDir(folder.filePath("iso")), tree))
        return false;
    for (const QString& name : names) {
        // Before 5.0 the loader is isolinux.bin alone.
        if (name == u"ldlinux.c32" && !bin.exists(name))
            continue;
        if (!QFile::copy(bin.filePath(name), tree.filePath("isolinux/" + name)))
            return false;
    }
    return true;
}

class BuildInVm : public ::testing::TestWithParam<BuildCase> { };

}

TEST_P(BuildInVm, SimulatorDrawsWhatTheBuildShows)
{
    const std::optional<VmTools> tools = VmToolsHere();
    if (!tools)
        GTEST_SKIP() << "the virtual machine's tools are missing";
    const BuildCase played = GetParam();
    const QDir folder = RecordedCase(played.name);
    REQUIRE_SHARED(folder.exists("steps") && SharedFolder("boottruth/versions/bin").exists(),
        SharedFolder("boottruth/versions").path().toStdString());
    QTemporaryDir tree;
    ASSERT_TRUE(StageTree(played, folder, QDir(tree.path())));
    const BootFiles files = BootFiles::ForConfiguration(tree.filePath("isolinux/isolinux.cfg"));
    const LoaderVersion version = DetectLoader(files).version;
    ASSERT_EQ(version.Name(), QString::fromLatin1(played.version));
    const ConfigImagePlan plan = PlanConfigImage(files, *tools);
    EXPECT_TRUE(plan.notes.isEmpty()) << plan.notes.join(u'\n').toStdString();

    RecordedCaseInVm run(*tools, plan, files, version);
    int shots = 0;
    PlayInVm(folder, run.loader, run.machine, [&](const QString&) {
        ExpectRecordedScreen(ScreenSnapshot::Of(run.console),
            QJsonDocument::fromJson(SnapshotOf(run.machine.Screen()).ToJson(true)).object());
        ++shots;
    });
    EXPECT_GT(shots, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Recorded, BuildInVm, ::testing::ValuesIn(BuildCases), [](const ::testing::TestParamInfo<BuildCase>& played) {
        std::string version = played.param.version;
        std::replace(version.begin(), version.end(), '.', '_');
        return "v" + version + "_" + played.param.name;
    });
