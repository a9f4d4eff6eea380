#include "BootOutcome.h"

#include "LoaderSim.h"
#include "console/ColorConsole.h"

BootOutcome PlayToBoot(const BootFiles& files, const LoaderVersion& version, const std::optional<PxeClient>& client)
{
    FixedCellMeasurer measurer;
    TColorConsole console(measurer);
    LoaderSim loader(console, files, LoaderSim::Start::Blank, version, client);
    // A few rounds: a timeout or Enter may lead to a menu or another configuration first.
    for (int round = 0; round < 8 && loader.Note().isEmpty() && !loader.KernelLine(); ++round) {
        if (!loader.RunOutTimeout())
            loader.Give(LoaderInput::Of(Keys::Key::Named(Keys::Name::Enter)));
    }
    return { loader.Note(), loader.KernelLine(), loader.KernelUnknown() };
}
