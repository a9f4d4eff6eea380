// A UEFI machine's boot of an exported disc, from OVMF's first frame (the
// first picture that is not QEMU's own "not initialized" one) to GRUB's
// menu on the screen: the UEFI side Glimra makes of a shared vesamenu tree
// (its theme, desktop picture and PF2 font), on the screen once the picture
// is the one Glimra's GRUB draws of it; beside the floor measured in the
// same run: the same disc with GRUB's own text menu of the same entries in
// the same mode and font, the least GRUB draws a menu with (its text menu
// on OVMF's console is slower: the firmware draws every glyph). Both boots
// alternate, so the machine's load falls on both.
#include "grub/GrubMenu.h"
#include "grub/GrubPlay.h"
#include "vm/BootMedia.h"
#include "vm/HeadlessVm.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QString Case
    = QStringLiteral(GLIMRA_SHARED_DIR "/boottruth/project/vesa/cases/v17_glyphs_rom_font/iso/isolinux/isolinux.cfg");

std::vector<GrubFolderFile> FolderFiles(const std::vector<GrubFile>& files)
{
    std::vector<GrubFolderFile> folder;
    for (const GrubFile& file : files)
        folder.push_back({ file.path, file.bytes });
    return folder;
}

// GRUB's own text menu of the same entries in the same mode and font: no
// theme, no picture.
std::vector<GrubFolderFile> PlainMenu(const std::vector<GrubFile>& side)
{
    std::vector<GrubFolderFile> plain;
    for (const GrubFile& file : side) {
        if (file.path == "grub.cfg")
            plain.push_back({ file.path, QByteArray(file.bytes).replace("set theme=", "# set theme=") });
        else if (file.path.endsWith(".pf2"))
            plain.push_back({ file.path, file.bytes });
    }
    return plain;
}

QImage ImageOf(const Vesa::Picture& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            image.setPixel(x, y, 0xff000000u | picture.At(x, y));
    return image;
}

// A menu is on the screen: Glimra's drawing of it exactly, or for GRUB's
// own, entry text (anything not black) in GRUB's mode.
bool MenuShown(const QImage& picture, const QImage& expected)
{
    if (picture.size() != QSize(640, 480))
        return false;
    if (!expected.isNull())
        return picture.convertToFormat(QImage::Format_RGB32) == expected;
    int text = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); x += 2)
            text += qGray(picture.pixel(x, y)) > 64 ? 1 : 0;
    }
    return text > 50;
}

struct Times {
    double firstFrame = 0; // from QEMU's start
    double menu = 0; // from the first frame to the menu's last stroke
};

double Milliseconds(const QElapsedTimer& clock) { return static_cast<double>(clock.nsecsElapsed()) / 1e6; }

// Boots the disc made of the tree with the menu. The menu is on the screen
// at the last change of the picture before it holds still, once it shows
// the menu (both wait for ever, and nothing blinks): the same for both.
Times Boot(const VmTools& vm, const MediaTools& media, const BootFiles& files, std::vector<GrubFolderFile> menu,
    const QImage& expected)
{
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    MediaRequest request;
    request.output = work->filePath("uefi.iso");
    request.grub = std::move(menu);
    MachineOptions options;
    options.image = ExportBootMedia(files, request, media).output;
    options.firmware = Firmware::Uefi;
    QElapsedTimer clock;
    clock.start();
    HeadlessMachine machine(vm, options, work->path(), std::chrono::seconds(120));
    QByteArray picture = machine.Picture(false);
    for (const QByteArray placeholder = picture; picture == placeholder; picture = machine.Picture(false))
        machine.Sleep(10);
    Times times;
    times.firstFrame = Milliseconds(clock);
    double changed = times.firstFrame;
    // Past the menu's first stroke, until the picture holds still.
    while (!MenuShown(QImage::fromData(picture, "PPM"), expected) || Milliseconds(clock) - changed < 1500) {
        machine.Sleep(10);
        QByteArray next = machine.Picture(false);
        if (next != picture)
            changed = Milliseconds(clock);
        picture = std::move(next);
    }
    times.menu = changed - times.firstFrame;
    return times;
}

void UefiBootToMenu(benchmark::State& state)
{
    VmTools vm;
    MediaTools media;
    try {
        vm = FindVmTools({}, false, Firmware::Uefi);
        media = FindMediaTools(MediaKind::Iso);
        RequireUefiMediaTools(media, MediaKind::Iso);
    } catch (const EVmError& missing) {
        state.SkipWithError(missing.what());
        return;
    }
    if (!QFile::exists(Case)) {
        state.SkipWithError("needs the shared boot trees");
        return;
    }
    const BootFiles files = BootFiles::ForConfiguration(Case);
    const GrubSideFiles side = MakeGrubSide(files);
    const std::vector<GrubFolderFile> themed = FolderFiles(side.files);
    const std::vector<GrubFolderFile> plain = PlainMenu(side.files);
    const QImage expected = ImageOf(PlayGrubSide(side.files)->Draw());
    double menu = 0, floor = 0, frame = 0;
    for (auto _ : state) {
        const Times ours = Boot(vm, media, files, themed, expected);
        const Times least = Boot(vm, media, files, plain, QImage());
        menu += ours.menu;
        floor += least.menu;
        frame += (ours.firstFrame + least.firstFrame) / 2;
    }
    using Counter = benchmark::Counter;
    state.counters["menu_ms"] = Counter(menu, Counter::kAvgIterations);
    state.counters["floor_ms"] = Counter(floor, Counter::kAvgIterations);
    state.counters["menu_per_floor"] = floor > 0 ? menu / floor : 0;
    state.counters["first_frame_ms"] = Counter(frame, Counter::kAvgIterations);
}

}

BENCHMARK(UefiBootToMenu)->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv); // QImage's PPM
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
