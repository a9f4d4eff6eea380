#include "RenderVm.h"

#include "RenderOutput.h"
#include "common/FileAccess.h"
#include "keys/KeyWords.h"
#include "preview/ScreenSnapshot.h"
#include "vm/BootImage.h"
#include "vm/BootMedia.h"
#include "vm/ConfigImage.h"
#include "vm/HeadlessVm.h"

#include <QTemporaryDir>

namespace {

// The real loader's screen in the format asked for.
QByteArray VmOutput(const RenderArguments& arguments, const VmScreen& vm)
{
    if (arguments.format == RenderArguments::Format::Png)
        return vm.png;
    if (arguments.format == RenderArguments::Format::Serial)
        return vm.serial;
    return ScreenText(arguments,
        ScreenSnapshot::OfVgaText(vm.text, VmScreen::Cols, VmScreen::Rows, vm.cursorColumn, vm.cursorRow), true);
}

// Presses the keys, each followed by a wait until the screen holds still.
void PlayKeys(HeadlessMachine& machine, const std::vector<KeyPress>& keys, bool png, VmScreen screen)
{
    for (const KeyPress& key : keys) {
        if (key.input.kind == LoaderInput::Kind::Sleep) {
            machine.Sleep(key.input.milliseconds);
        } else if (key.input.kind == LoaderInput::Kind::Timeout) {
            // The loader's timeout has run out when the screen changes by itself.
            for (VmScreen now = machine.Screen(png); now.text == screen.text && now.png == screen.png;
                 now = machine.Screen(png))
                machine.Sleep(100);
        } else if (!key.qemu.isEmpty()) {
            machine.Press(key.qemu);
        }
        screen = machine.WaitStable(png ? 800 : 300, png);
    }
}

// The disc Export makes, its UEFI side the menu grub makes, on OVMF; the
// screen once GRUB has started (OVMF copies its console's greeting to the
// serial port) and its picture holds still.
QByteArray RenderUefiInVm(const RenderArguments& arguments, const BootFiles& files, const GrubMenuMaker& grub)
{
    const VmTools tools = FindVmTools({}, false, Firmware::Uefi);
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    MediaRequest request;
    request.output = work->filePath(QStringLiteral("uefi.iso"));
    request.hybrid = false; // a CD boots without the MBR, so a loader with none of its build boots too
    request.grub = MakeGrubMenu(grub, files);
    if (request.grub.empty())
        throw EVmError("This build makes no GRUB menu for UEFI machines: boot with --firmware bios.");
    const MediaResult made = ExportBootMedia(files, request, FindMediaTools(MediaKind::Iso));
    for (const QString& note : made.notes)
        Tell(note);
    for (const ConfigImagePlan::Refusal& refused : made.refused)
        Tell(QStringLiteral("%1 is not put in the image: %2").arg(ShownName(refused.name), refused.reason));
    MachineOptions options;
    options.image = made.output;
    options.firmware = Firmware::Uefi;
    HeadlessMachine machine(tools, options, work->path(), std::chrono::seconds(arguments.timeoutSeconds));
    while (!machine.Serial().contains("Welcome to GRUB!"))
        machine.Sleep(50);
    const VmScreen screen = machine.WaitStable(1500, true);
    QString error;
    PlayKeys(machine, ReadKeys(arguments.keys, error).value_or(std::vector<KeyPress> {}), true, screen);
    return VmOutput(arguments, machine.Screen(true));
}

}

QByteArray RenderInVm(const RenderArguments& arguments, const QByteArray& bytes, const QString& folder)
{
    const VmTools tools = FindVmTools();
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    const BootImage image = BuildBootImage(tools, bytes, folder, work->path());
    for (const QString& missing : image.missingImages)
        Tell(QStringLiteral("image %1 is not beside the file; booting without it").arg(missing));
    for (const QString& refused : image.refused)
        Tell(QStringLiteral("image %1 is not taken; booting without it").arg(refused));
    const VmScreen vm = BootHeadless(tools, image.iso, work->path(), std::chrono::seconds(arguments.timeoutSeconds),
        arguments.format == RenderArguments::Format::Png);
    return VmOutput(arguments, vm);
}

QByteArray RenderConfigurationInVm(const RenderArguments& arguments, const BootFiles& files, const GrubMenuMaker& grub)
{
    if (arguments.firmware == RenderArguments::Firmware::Uefi)
        return RenderUefiInVm(arguments, files, grub);
    const VmTools tools = FindVmTools();
    const ConfigImagePlan plan = PlanConfigImage(files, tools);
    for (const QString& note : plan.notes)
        Tell(note);
    for (const ConfigImagePlan::Refusal& refused : plan.refused)
        Tell(QStringLiteral("%1 is not put in the image: %2").arg(ShownName(refused.name), refused.reason));
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    const QString image = BuildConfigImage(tools, plan, work->path());
    HeadlessMachine machine(tools, image, plan.pxe, work->path(), std::chrono::seconds(arguments.timeoutSeconds));
    // Ready once the loader's banner is on the screen and the screen holds
    // still (longer over TFTP, where every file is a round trip).
    while (!LoaderBannerShown(machine.Screen()))
        machine.Sleep(50);
    // A graphical menu draws after its modules load, on a picture alone.
    const bool png = arguments.format == RenderArguments::Format::Png;
    const VmScreen screen = machine.WaitStable(plan.pxe ? 1500 : png ? 1200 : 500, png);
    QString error;
    PlayKeys(machine, ReadKeys(arguments.keys, error).value_or(std::vector<KeyPress> {}), png, screen);
    return VmOutput(arguments, machine.Screen(png));
}

int InVm(const std::function<int()>& run)
{
    try {
        return run();
    } catch (const EVmStopped& stopped) {
        return 128 + stopped.Signal();
    } catch (const EVmError& failure) {
        const QString detail = QString::fromStdString(failure.Detail());
        return Fail(
            QString::fromStdString(failure.what()) + (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail));
    }
}
