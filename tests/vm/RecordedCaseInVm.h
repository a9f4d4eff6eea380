#pragma once

// The player shared by the VM tests: a recorded case booted in QEMU beside
// the simulator, both given the steps' keys.
#include "FakeMeasurer.h"
#include "RecordedSteps.h"
#include "SharedMaterial.h"
#include "console/ColorConsole.h"
#include "preview/ScreenSnapshot.h"
#include "sim/LoaderSim.h"
#include "vm/ConfigImage.h"
#include "vm/HeadlessVm.h"
#include "vm/VmTools.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <memory>

inline ScreenSnapshot SnapshotOf(const VmScreen& real)
{
    return ScreenSnapshot::OfVgaText(real.text, VmScreen::Cols, VmScreen::Rows, real.cursorColumn, real.cursorRow);
}

inline QString ScreenText(const VmScreen& screen) { return QString::fromUtf8(SnapshotOf(screen).ToText()); }

// Boots a recorded case and plays its steps on the machine and on the
// simulator alike; at each shot, shot(name) compares them.
inline void PlayInVm(
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

// A recorded case booted in QEMU from the image a plan makes, beside the
// simulator playing the given build on the given files.
struct RecordedCaseInVm {
    // Debian's build, with the modules the machine is given from Debian.
    RecordedCaseInVm(const VmTools& tools, const QDir& folder)
        : RecordedCaseInVm(tools, PlanConfigImage(BootFiles::ForConfiguration(ConfigOf(folder)), tools),
            RecordedCaseFiles(folder, ConfigOf(folder)), LoaderVersion::Debian())
    {
    }
    RecordedCaseInVm(const VmTools& tools, const ConfigImagePlan& plan, BootFiles simulated, LoaderVersion version)
        : work(MakeWorkFolder())
        , machine(tools, BuildConfigImage(tools, plan, work->path()), false, work->path(), std::chrono::seconds(90))
        , loader(console, std::move(simulated), LoaderSim::Start::Banner, std::move(version))
    {
    }
    static QString ConfigOf(const QDir& folder) { return folder.filePath("iso/isolinux/isolinux.cfg"); }

    std::unique_ptr<QTemporaryDir> work;
    HeadlessMachine machine;
    FakeMeasurer measurer;
    TColorConsole console { measurer };
    LoaderSim loader;
};
