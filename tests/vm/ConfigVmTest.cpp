// The simulator judged by the real loader: every recorded configuration is
// booted in QEMU from an image of its tree and played with its steps' keys
// over QEMU's machine protocol; at every shot the simulator, given the same
// keys, must draw exactly the screen the machine shows.
#include "FakeMeasurer.h"
#include "RecordedScreen.h"
#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "console/ColorConsole.h"
#include "format/Cp437.h"
#include "sim/LoaderSim.h"
#include "vm/ConfigImage.h"
#include "vm/HeadlessVm.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {

QString ScreenText(const VmScreen& screen)
{
    QString text;
    for (int row = 0; row < VmScreen::Rows; ++row) {
        QByteArray cells;
        for (int column = 0; column < VmScreen::Cols; ++column)
            cells += screen.text[(row * VmScreen::Cols + column) * 2];
        text += Cp437::DecodeCells(cells) + u'\n';
    }
    return text;
}

class ConfigInVm : public ::testing::TestWithParam<std::string> { };

}

TEST_P(ConfigInVm, SimulatorDrawsWhatTheMachineShows)
{
    VmTools tools;
    try {
        tools = FindVmTools();
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            FAIL() << missing.what();
        GTEST_SKIP() << missing.what();
    }
    const QDir folder = RecordedCase(GetParam());
    const QString config = folder.filePath("iso/isolinux/isolinux.cfg");
    // The simulator knows the modules the machine is given from Debian.
    const BootFiles files = RecordedCaseFiles(folder, config);
    const ConfigImagePlan plan = PlanConfigImage(BootFiles::ForConfiguration(config), tools);
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    HeadlessMachine machine(
        tools, BuildConfigImage(tools, plan, work->path()), false, work->path(), std::chrono::seconds(90));

    FakeMeasurer measurer;
    TColorConsole console(measurer);
    LoaderSim loader(console, files);
    qsizetype serialSeen = 0;
    int shots = 0;
    const auto waitFor = [&](const std::function<bool()>& met) {
        while (!met())
            machine.Sleep(50);
    };
    for (const RecordedStep& step : ReadRecordedSteps(ReadBytes(folder.filePath("steps")))) {
        switch (step.kind) {
        case RecordedStep::Kind::Key:
            serialSeen = machine.Serial().size();
            for (const QString& chord : step.argument.split(u' ', Qt::SkipEmptyParts)) {
                machine.Press(chord.split(u'-'));
                loader.Give(*ParseKeyChord(chord));
            }
            break;
        case RecordedStep::Kind::Type:
            serialSeen = machine.Serial().size();
            for (QChar character : step.argument) {
                machine.Press(*ChordOfCharacter(static_cast<char>(character.unicode())));
                loader.Give({ LoaderInput::Kind::Character, {}, static_cast<char>(character.unicode()), 0 });
            }
            break;
        case RecordedStep::Kind::Sleep:
            machine.Sleep(step.milliseconds);
            loader.Sleep(step.milliseconds);
            break;
        case RecordedStep::Kind::WaitStable: machine.WaitStable(step.milliseconds); break;
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
            const VmScreen real = machine.Screen();
            ExpectRecordedScreen(ScreenSnapshot::Of(console),
                QJsonDocument::fromJson(ScreenSnapshot::OfVgaText(real.text, VmScreen::Cols, VmScreen::Rows,
                                            real.cursorColumn, real.cursorRow)
                                            .ToJson(true))
                    .object());
            ++shots;
            break;
        }
        case RecordedStep::Kind::Other: break;
        }
    }
    EXPECT_GT(shots, 0);
}

INSTANTIATE_TEST_SUITE_P(Recorded, ConfigInVm, ::testing::ValuesIn(RecordedCases()),
    [](const ::testing::TestParamInfo<std::string>& recorded) { return recorded.param; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ConfigInVm);
