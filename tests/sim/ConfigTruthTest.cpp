// Every whole configuration recorded from the real loader, played again by
// the simulator: the steps file's keys, typed text and sleeps are given in
// turn, and each shot must equal the simulated screen cell for cell. A wait
// for the loader's output with no key since the last shot stands for the
// timeout running out. A new recording is a new case.
#include "FakeMeasurer.h"
#include "RecordedScreen.h"
#include "RecordedSteps.h"
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

void ExpectShot(const TColorConsole& console, const QString& path)
{
    const QJsonObject truth = QJsonDocument::fromJson(ReadBytes(path)).object();
    ASSERT_FALSE(truth.isEmpty()) << path.toStdString();
    ExpectRecordedScreen(ScreenSnapshot::Of(console), truth);
}

class ConfigTruth : public ::testing::TestWithParam<std::string> { };

}

TEST(ConfigTruthFolder, IsThere)
{
    REQUIRE_SHARED(!RecordedCases().empty(), SharedFolder("boottruth/project/cases").path().toStdString());
}

TEST_P(ConfigTruth, PlaysEveryRecordedShot)
{
    const QString name = QString::fromStdString(GetParam());
    const QDir folder = RecordedCase(GetParam());
    const QString config = ConfigOf(QDir(folder.filePath("iso")));
    ASSERT_FALSE(config.isEmpty()) << "no configuration in " << folder.path().toStdString();
    FakeMeasurer measurer;
    TColorConsole console(measurer);
    const BootFiles files = RecordedCaseFiles(folder, config);
    LoaderSim loader(console, files);

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
            ExpectShot(console, SharedFolder("boottruth/project/out").filePath(name + u'/' + step.argument + ".json"));
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

INSTANTIATE_TEST_SUITE_P(Recorded, ConfigTruth, ::testing::ValuesIn(RecordedCases()),
    [](const ::testing::TestParamInfo<std::string>& recorded) { return recorded.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ConfigTruth);
