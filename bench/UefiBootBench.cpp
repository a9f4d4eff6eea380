// A UEFI machine's boot of an exported disc, from OVMF's first frame (the
// first picture that is not QEMU's own "not initialized" one) to GRUB's
// menu on the screen: a themed menu as the generated one is made (gfxterm
// at 640 x 480, a desktop picture, a boot_menu, a PF2 font), beside the
// floor measured in the same run: the same disc and core image with GRUB's
// own text menu in the same mode and font, the least GRUB draws a menu
// with (its text menu on OVMF's console is slower: the firmware draws
// every glyph). Both boots alternate, so the machine's load falls on both.
#include "vm/BootMedia.h"
#include "vm/HeadlessVm.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr QRgb Desktop = qRgb(0x1e, 0x3c, 0x78);
const QRect MenuBox(80, 120, 480, 120);

QString Tree(const QTemporaryDir& tree)
{
    const QString config = tree.filePath("isolinux/isolinux.cfg");
    QDir().mkpath(tree.filePath("isolinux"));
    QFile file(config);
    if (file.open(QIODevice::WriteOnly))
        file.write("PROMPT 1\n");
    return config;
}

QByteArray DesktopPng()
{
    QImage desktop(640, 480, QImage::Format_RGB32);
    desktop.fill(Desktop);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    desktop.save(&png, "PNG");
    return png.data();
}

const char Entries[] = "set timeout=-1\n"
                       "menuentry 'Boot the kernel' { linux /boot/vmlinuz }\n"
                       "menuentry 'Second entry' { true }\n";

QByteArray Font()
{
    QFile font(QStringLiteral("/usr/share/grub/ascii.pf2")); // grub-common's
    return font.open(QIODevice::ReadOnly) ? font.readAll() : QByteArray();
}

const char Graphics[] = "insmod all_video\ninsmod gfxterm\nloadfont $prefix/glimra/ascii.pf2\nset gfxmode=640x480\n"
                        "terminal_output gfxterm\n";

// GRUB's own text menu in the same graphics mode and font: no theme, no picture.
std::vector<GrubFolderFile> PlainMenu()
{
    return { { "grub.cfg", Graphics + QByteArray(Entries) }, { "glimra/ascii.pf2", Font() } };
}

std::vector<GrubFolderFile> ThemedMenu()
{
    return { { "grub.cfg",
                 Graphics
                     + QByteArray("insmod gfxmenu\ninsmod png\nset theme=$prefix/glimra/menu0/theme.txt\n"
                                  "set timeout_style=menu\n")
                     + Entries },
        { "glimra/ascii.pf2", Font() }, { "glimra/menu0/desktop.png", DesktopPng() },
        { "glimra/menu0/theme.txt",
            QStringLiteral("desktop-image: \"desktop.png\"\ntitle-text: \"\"\n+ boot_menu {\n  left = %1\n  top = %2\n"
                           "  width = %3\n  height = %4\n  item_color = \"#ffffff\"\n  selected_item_color = "
                           "\"#ffff00\"\n  item_height = 16\n}\n")
                .arg(MenuBox.left())
                .arg(MenuBox.top())
                .arg(MenuBox.width())
                .arg(MenuBox.height())
                .toLatin1() } };
}

// A menu is on the screen: in GRUB's mode, over the desktop when themed,
// with entry text (white in the theme's box, anything not black in GRUB's own).
bool MenuShown(const QImage& picture, bool themed)
{
    if (picture.size() != QSize(640, 480) || (themed && picture.pixel(2, 2) != Desktop))
        return false;
    const QRect area = themed ? MenuBox : picture.rect();
    int text = 0;
    for (int y = area.top(); y < area.bottom(); ++y) {
        for (int x = area.left(); x < area.right(); x += 2) {
            const QRgb pixel = picture.pixel(x, y);
            text += (themed ? pixel == qRgb(255, 255, 255) : qGray(pixel) > 64) ? 1 : 0;
        }
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
Times Boot(
    const VmTools& vm, const MediaTools& media, const BootFiles& files, std::vector<GrubFolderFile> menu, bool themed)
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
    while (!MenuShown(QImage::fromData(picture, "PPM"), themed) || Milliseconds(clock) - changed < 1500) {
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
    QTemporaryDir tree;
    const BootFiles files = BootFiles::ForConfiguration(Tree(tree));
    const std::vector<GrubFolderFile> themed = ThemedMenu();
    const std::vector<GrubFolderFile> plain = PlainMenu();
    double menu = 0, floor = 0, frame = 0;
    for (auto _ : state) {
        const Times ours = Boot(vm, media, files, themed, true);
        const Times least = Boot(vm, media, files, plain, false);
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
    QGuiApplication application(argc, argv); // QImage's PNG and PPM
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
