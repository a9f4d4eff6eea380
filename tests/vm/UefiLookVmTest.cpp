// One menu, both firmwares: the shared vesamenu cases (those without TEXT
// HELP, which GRUB has no place for) exported as a disc and booted under
// SeaBIOS and under OVMF. The first screens agree to within 0.5 % of the
// pixels, the countdown's row aside, and Glimra's own drawing of the GRUB
// side agrees with OVMF's screen as closely.
#include "FileTree.h"
#include "RecordedCaseInVm.h"
#include "grub/GrubMenu.h"
#include "grub/GrubPlay.h"
#include "keys/KeyWords.h"
#include "vm/BootMedia.h"
#include "vm/Machine.h"

#include <QImage>
#include <QRegularExpression>

namespace {

const char* const Cases[] = { "v17_glyphs_rom_font", "v18_font_psf16", "v20_menu_font_keyword" };

// The rows GRUB's __timeout__ label covers in a theme: top and height in pixels.
std::pair<int, int> CountdownRows(const GrubSideFiles& side)
{
    for (const GrubFile& file : side.files) {
        if (file.path != "glimra/menu1/theme.txt")
            continue;
        static const QRegularExpression label(QStringLiteral(
            "\\+ label \\{[^}]*top = (\\d+)[^}]*height = (\\d+)[^}]*id = \"__timeout__\"|\\+ label \\{[^}]*id = "
            "\"__timeout__\"[^}]*top = (\\d+)[^}]*height = (\\d+)"));
        const QRegularExpressionMatch found = label.match(QString::fromUtf8(file.bytes));
        if (found.hasMatch()) {
            const int at = found.captured(1).isEmpty() ? 3 : 1;
            return { found.captured(at).toInt(), found.captured(at + 1).toInt() };
        }
    }
    return { 0, 0 };
}

// The share of pixels that differ, the rows [skipTop, skipTop + skipHeight) aside.
double Differing(const QImage& a, const QImage& b, std::pair<int, int> skip)
{
    if (a.size() != b.size())
        return 1.0;
    const QImage one = a.convertToFormat(QImage::Format_RGB32), two = b.convertToFormat(QImage::Format_RGB32);
    qint64 differ = 0, counted = 0;
    for (int y = 0; y < one.height(); ++y) {
        if (y >= skip.first && y < skip.first + skip.second)
            continue;
        for (int x = 0; x < one.width(); ++x) {
            ++counted;
            differ += (one.pixel(x, y) & 0xffffff) != (two.pixel(x, y) & 0xffffff);
        }
    }
    return counted ? double(differ) / double(counted) : 1.0;
}

QImage ImageOf(const Vesa::Picture& picture)
{
    QImage image(picture.width, picture.height, QImage::Format_RGB32);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            image.setPixel(x, y, 0xff000000u | picture.At(x, y));
    return image;
}

// Watches the screen until it is within the bound of the expected one, or
// the machine's time is up; the closest share seen.
double Closest(HeadlessMachine& machine, const QImage& expected, std::pair<int, int> skip, double bound = 0.005)
{
    double best = 1.0;
    try {
        while (best > bound) {
            best = std::min(best, Differing(QImage::fromData(machine.Picture(false)), expected, skip));
            machine.Sleep(500);
        }
    } catch (const EVmError&) {
        // the limit passed: best says how close it came
    }
    return best;
}

class OneMenuBothFirmwares : public ::testing::TestWithParam<const char*> { };

}

TEST_P(OneMenuBothFirmwares, FirstScreensAgree)
{
    const QDir folder = SharedFolder("boottruth/project/vesa/cases");
    REQUIRE_SHARED(folder.exists(), "boottruth/project/vesa/cases");
    std::optional<VmTools> bios, uefi;
    std::optional<MediaTools> media;
    try {
        bios = FindVmTools();
        uefi = FindVmTools({}, false, Firmware::Uefi);
        media = FindMediaTools(MediaKind::Iso);
        RequireUefiMediaTools(*media, MediaKind::Iso);
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            FAIL() << missing.what();
        GTEST_SKIP() << missing.what();
    }
    const BootFiles files = BootFiles::ForConfiguration(
        folder.filePath(QString::fromLatin1(GetParam()) + QStringLiteral("/iso/isolinux/isolinux.cfg")));
    const GrubSideFiles side = MakeGrubSide(files);
    ASSERT_TRUE(side.exact) << "every entry of these menus fits: the theme holds the module's own pixels";
    QTemporaryDir out;
    MediaRequest request;
    request.output = out.filePath(QStringLiteral("both.iso"));
    request.grub = [&] {
        std::vector<GrubFolderFile> grub;
        for (const GrubFile& file : side.files)
            grub.push_back({ file.path, file.bytes });
        return grub;
    }();
    const MediaResult made = ExportBootMedia(files, request, *media);
    const std::pair<int, int> countdown = CountdownRows(side);

    // ISOLINUX's first screen, as the recording has it, under SeaBIOS.
    const QImage recorded(SharedFolder("boottruth/project/vesa/out")
                              .filePath(QString::fromLatin1(GetParam()) + QStringLiteral("/00_initial.png")));
    ASSERT_FALSE(recorded.isNull());
    {
        const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
        MachineOptions options;
        options.image = made.output;
        HeadlessMachine machine(*bios, options, work->path(), std::chrono::seconds(60));
        EXPECT_LE(Closest(machine, recorded, countdown), 0.005) << "SeaBIOS and ISOLINUX";
    }
    // GRUB's, under OVMF, and Glimra's drawing of it.
    const std::unique_ptr<GrubSim> sim = PlayGrubSide(side.files);
    ASSERT_TRUE(sim);
    const QImage drawn = ImageOf(sim->Draw());
    EXPECT_LE(Differing(drawn, recorded, countdown), 0.005) << "Glimra's GRUB screen against ISOLINUX's";
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    MachineOptions options;
    options.image = made.output;
    options.firmware = Firmware::Uefi;
    HeadlessMachine machine(*uefi, options, work->path(), std::chrono::seconds(150));
    EXPECT_LE(Closest(machine, recorded, countdown), 0.005) << "OVMF and GRUB against ISOLINUX's recording";
    EXPECT_LE(Differing(QImage::fromData(machine.Picture(false)), drawn, countdown), 0.005)
        << "OVMF's GRUB screen against Glimra's drawing of it";
}

INSTANTIATE_TEST_SUITE_P(SharedVesamenuCases, OneMenuBothFirmwares, ::testing::ValuesIn(Cases),
    [](const ::testing::TestParamInfo<const char*>& shared) { return std::string(shared.param).substr(0, 3); });

// A text menu with locked entries, Glimra's own UEFI side of it in a PXE
// folder, booted under OVMF over TFTP: each screen the keys lead to is the
// one Glimra's GRUB draws, pixel for pixel: the password prompts, Esc out
// of a submenu after a refusal, and an F-key's picture.
TEST(OneMenuBothFirmwares, LockedMenuOverPxe)
{
    std::optional<VmTools> uefi;
    std::optional<MediaTools> media;
    try {
        uefi = FindVmTools({}, false, Firmware::Uefi);
        media = FindMediaTools(MediaKind::Pxe);
        RequireUefiMediaTools(*media, MediaKind::Pxe);
    } catch (const EVmError& missing) {
        if (qgetenv("CI") == "true")
            FAIL() << missing.what();
        GTEST_SKIP() << missing.what();
    }
    QTemporaryDir tree, out;
    const QString config = WriteInTree(tree, "boot/isolinux/isolinux.cfg",
        "UI menu.c32\nMENU TITLE Locked menu\nLABEL open\n MENU LABEL Open entry\n KERNEL /boot/vmlinuz\n"
        "LABEL locked\n MENU LABEL Locked entry\n KERNEL /boot/vmlinuz\n MENU PASSWD secret\n"
        "MENU BEGIN tools\n MENU TITLE Tools\n LABEL inner\n  MENU LABEL Inner locked\n  KERNEL /boot/vmlinuz\n"
        "  MENU PASSWD inner\nMENU END\nF1 help.txt\n");
    WriteInTree(tree, "boot/vmlinuz", QByteArray(1 << 16, 'k'));
    WriteInTree(tree, "boot/isolinux/help.txt",
        "\x0c\x0f"
        "1eHelp\x0f"
        "07 for the \x0f"
        "4cmenu\x0f"
        "07\r\n");
    const BootFiles files = BootFiles::ForConfiguration(config);
    const GrubSideFiles side = MakeGrubSide(files);
    MediaRequest request;
    request.kind = MediaKind::Pxe;
    request.output = out.filePath(QStringLiteral("tftp"));
    for (const GrubFile& file : side.files)
        request.grub.push_back({ file.path, file.bytes });
    const MediaResult made = ExportBootMedia(files, request, *media);

    const std::unique_ptr<GrubSim> sim = PlayGrubSide(side.files);
    ASSERT_TRUE(sim);
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    MachineOptions options;
    options.image = made.output;
    options.pxe = true;
    options.firmware = Firmware::Uefi;
    options.bootFile = QString::fromLatin1(made.uefiBootFile);
    HeadlessMachine machine(*uefi, options, work->path(), std::chrono::seconds(240));
    using Shown = GrubSim::Screen;
    const struct {
        const char* keys;
        Shown shown;
        int depth;
        const char* what;
    } steps[] = {
        { "", Shown::Menu, 0, "the menu" },
        { "down ret", Shown::Username, 0, "the locked entry asks for its user" },
        { "esc", Shown::Menu, 0, "refused, the menu again" },
        { "down down ret", Shown::Menu, 1, "the submenu" },
        { "ret", Shown::Username, 1, "its locked entry asks" },
        { "esc", Shown::Menu, 1, "refused, the submenu again" },
        { "esc", Shown::Menu, 0, "Esc leaves it" },
        { "f1", Shown::Read, 0, "F1's picture, waiting for Enter" },
        { "\"x\"", Shown::Read, 0, "what is typed there, and the cursor after it" },
        { "ret", Shown::Menu, 0, "the menu again" },
    };
    for (const auto& step : steps) {
        QString error;
        const std::optional<std::vector<KeyPress>> presses = ReadKeys(QString::fromLatin1(step.keys), error);
        ASSERT_TRUE(presses) << error.toStdString();
        for (const KeyPress& press : *presses) {
            sim->Give(press.input);
            machine.Press(press.qemu);
        }
        sim->Sleep(1000); // a refusal's wait
        EXPECT_EQ(std::pair(sim->Shown(), sim->Depth()), std::pair(step.shown, step.depth)) << step.what;
        EXPECT_EQ(Closest(machine, ImageOf(sim->Draw()), { 0, 0 }, 0.0), 0.0) << step.what;
    }
}
