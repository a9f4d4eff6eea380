// Every whole configuration recorded from the real loader, played again by
// the simulator: the steps file's keys, typed text and sleeps are given in
// turn, and each shot must equal the simulated screen cell for cell. A wait
// for the loader's output with no key since the last shot stands for the
// timeout running out. A new recording is a new case. The same cases
// replayed with other builds are played by the simulator as that build.
#include "FakeMeasurer.h"
#include "RecordedScreen.h"
#include "RecordedSteps.h"
#include "RecordedVersions.h"
#include "SharedMaterial.h"
#include "console/ColorConsole.h"
#include "preview/ScreenSnapshot.h"
#include "sim/LoaderSim.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString ConfigOf(const QDir& iso)
{
    for (const char* candidate : { "isolinux/isolinux.cfg", "syslinux/syslinux.cfg", "isolinux.cfg" }) {
        if (iso.exists(QString::fromLatin1(candidate)))
            return iso.filePath(QString::fromLatin1(candidate));
    }
    return {};
}

// A case as one build drew it: Debian's 6.04 in the project's recordings,
// the others in their replays.
struct Played {
    std::string version;
    std::string name;
};

void PrintTo(const Played& played, std::ostream* out) { *out << played.version << '/' << played.name; }

QDir OutOf(const Played& played)
{
    return played.version == "6.04"
        ? QDir(SharedFolder("boottruth/project/out").filePath(QString::fromStdString(played.name)))
        : QDir(VersionsFolder(played.version, "shared").filePath(QString::fromStdString(played.name)));
}

void ExpectShot(const TColorConsole& console, const QString& path)
{
    const QJsonObject truth = QJsonDocument::fromJson(ReadBytes(path)).object();
    ASSERT_FALSE(truth.isEmpty()) << path.toStdString();
    ExpectRecordedScreen(ScreenSnapshot::Of(console), truth);
}

std::vector<Played> Cases(const std::vector<std::string>& versions)
{
    std::vector<Played> cases;
    for (const std::string& version : versions) {
        for (const std::string& name : RecordedCases()) {
            if (version == "6.04" || QFile::exists(OutOf({ version, name }).filePath("run.json")))
                cases.push_back({ version, name });
        }
    }
    return cases;
}

std::vector<std::string> OtherVersions()
{
    return { std::begin(RecordedOtherVersions), std::end(RecordedOtherVersions) };
}

class ConfigTruth : public ::testing::TestWithParam<Played> { };

}

TEST(ConfigTruthFolder, IsThere)
{
    REQUIRE_SHARED(!RecordedCases().empty(), SharedFolder("boottruth/project/cases").path().toStdString());
    REQUIRE_SHARED(Cases(OtherVersions()).size() > 80, SharedFolder("boottruth/versions/out").path().toStdString());
}

TEST_P(ConfigTruth, PlaysEveryRecordedShot)
{
    const Played played = GetParam();
    const QDir folder = RecordedCase(played.name);
    const QDir out = OutOf(played);
    const QString config = ConfigOf(QDir(folder.filePath("iso")));
    ASSERT_FALSE(config.isEmpty()) << "no configuration in " << folder.path().toStdString();
    FakeMeasurer measurer;
    TColorConsole console(measurer);
    LoaderSim loader(console, RecordedVersionFiles(folder, config, out), LoaderSim::Start::Banner,
        RecordedVersion(played.version, out));

    int shots = 0;
    for (const RecordedStep& step : ReadRecordedSteps(ReadBytes(folder.filePath("steps")))) {
        switch (step.kind) {
        case RecordedStep::Kind::Key:
        case RecordedStep::Kind::Type: {
            QString error;
            const std::optional<std::vector<KeyPress>> presses = StepPresses(step, error);
            ASSERT_TRUE(presses) << error.toStdString();
            for (const KeyPress& press : *presses)
                loader.Give(press.input);
            break;
        }
        case RecordedStep::Kind::Sleep: loader.Sleep(step.milliseconds); break;
        case RecordedStep::Kind::Shot: {
            SCOPED_TRACE(step.argument.toStdString());
            ExpectShot(console, out.filePath(step.argument + ".json"));
            ++shots;
            break;
        }
        default:
            if (step.timeoutRuns)
                loader.RunOutTimeout();
        }
    }
    EXPECT_GT(shots, 0) << "a case without shots";
}

INSTANTIATE_TEST_SUITE_P(Recorded, ConfigTruth, ::testing::ValuesIn(Cases({ "6.04" })),
    [](const ::testing::TestParamInfo<Played>& played) { return played.param.name; });
INSTANTIATE_TEST_SUITE_P(Versions, ConfigTruth, ::testing::ValuesIn(Cases(OtherVersions())),
    [](const ::testing::TestParamInfo<Played>& played) {
        std::string version = played.param.version;
        std::replace(version.begin(), version.end(), '.', '_');
        return "v" + version + "_" + played.param.name;
    });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ConfigTruth);
