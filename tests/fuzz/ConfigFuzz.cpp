// Feeds a boot tree made from the bytes to the configuration and menu
// readers through the simulator, with the keys the bytes name, as
// glimra-render --config --keys does; a graphical menu is drawn to its
// picture, and the boot image's plan is made. The bytes are
//
//     KEYS                    (a --keys list, first line)
//     @@ NAME                 (a file of the tree; the first is the
//     its bytes                configuration unless one is isolinux.cfg)
//     @@ NAME ...
//
// NAME is under /isolinux/ unless it starts with '/'. The tree also holds
// menu.c32 and vesamenu.c32, so UI lines start the menus. Nothing is read
// from disk: every file is given as unsaved text. Checks what must hold:
// the cursor in the grid, live attributes, a picture of the menu's size.
#include "ConsoleInvariants.h"
#include "FakeMeasurer.h"
#include "FuzzChecks.h"
#include "console/ColorConsole.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaMenu.h"
#include "vm/ConfigImage.h"

namespace {

constexpr int MostFiles = 16;
constexpr qsizetype MostKeyBytes = 256;
const QString Root = QStringLiteral("/nonexistent-glimra-fuzz-tree");

BootFiles TreeOf(QByteArrayView bytes, QString& keys)
{
    const qsizetype firstBreak = bytes.indexOf('\n');
    keys = QString::fromLatin1(
        bytes.first(firstBreak < 0 ? bytes.size() : firstBreak)
            .first(std::min<qsizetype>(MostKeyBytes, firstBreak < 0 ? bytes.size() : firstBreak)));
    QByteArray config = "isolinux.cfg";
    std::vector<std::pair<QByteArray, QByteArray>> files;
    for (qsizetype at = bytes.indexOf("@@ "); at >= 0 && files.size() < MostFiles;) {
        const qsizetype next = bytes.indexOf("\n@@ ", at);
        const QByteArrayView section = bytes.sliced(at + 3, (next < 0 ? bytes.size() : next) - at - 3);
        const qsizetype nameEnd = section.indexOf('\n');
        const QByteArray name = section.first(nameEnd < 0 ? section.size() : nameEnd)
                                    .first(std::min<qsizetype>(64, nameEnd < 0 ? section.size() : nameEnd))
                                    .toByteArray();
        files.emplace_back(name, nameEnd < 0 ? QByteArray() : section.sliced(nameEnd + 1).toByteArray());
        at = next < 0 ? -1 : next + 1;
    }
    if (!files.empty()
        && std::none_of(files.begin(), files.end(), [](const auto& file) { return file.first == "isolinux.cfg"; }))
        files.front().first = config;
    const auto host = [](const QByteArray& name) {
        return Root + (name.startsWith('/') ? QString() : QStringLiteral("/isolinux/")) + QString::fromLatin1(name);
    };
    BootFiles tree = BootFiles::ForConfiguration(host(config));
    tree.SetText(host("menu.c32"),
        "\x7f"
        "ELF menu");
    tree.SetText(host("vesamenu.c32"),
        "\x7f"
        "ELF vesamenu");
    for (const auto& [name, text] : files)
        tree.SetText(host(name), text);
    return tree;
}

const PcFont& Font()
{
    static const PcFont font = [] {
        PcFont made;
        for (int row = 0; row < 256 * made.height; ++row)
            made.rows.push_back(static_cast<std::uint8_t>(row * 37));
        return made;
    }();
    return font;
}

const VmTools* Tools()
{
    static const std::optional<VmTools> tools = []() -> std::optional<VmTools> {
        try {
            return FindVmTools();
        } catch (const EVmError&) {
            return std::nullopt;
        }
    }();
    return tools ? &*tools : nullptr;
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString keyList;
    const BootFiles tree = TreeOf(bytes, keyList);
    QString error;
    const std::vector<LoaderInput> keys = ParseLoaderKeys(keyList, error).value_or(std::vector<LoaderInput> {});
    FakeMeasurer measurer;
    TColorConsole console(measurer);
    LoaderSim loader(console, tree, size % 2 ? LoaderSim::Start::Banner : LoaderSim::Start::Blank);
    for (const LoaderInput& key : keys)
        loader.Give(key);
    const CellPair cursor = console.Cursor();
    Require(cursor.x >= 0 && cursor.x < console.Cols() && cursor.y >= 0 && cursor.y < console.Rows(),
        "cursor outside the grid");
    const std::string violation = AttributeInvariantViolation(console);
    Require(violation.empty(), violation.c_str());
    if (const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu()) {
        const Vesa::Picture picture = Vesa::DrawMenu(*graphics, Font(), Vesa::DecodePng);
        Require(picture.width == graphics->width && picture.height == graphics->height, "a picture of another size");
        Require(picture.pixels.size() == static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height),
            "a picture whose pixels do not fill it");
    }
    if (const VmTools* tools = Tools()) {
        try {
            const ConfigImagePlan plan = PlanConfigImage(tree, *tools);
            for (const ConfigImagePlan::File& file : plan.files)
                Require(file.imagePath.startsWith('/') && !file.imagePath.contains("/../")
                        && !file.imagePath.endsWith("/..") && file.imagePath.size() <= Limits::ImagePathBytes,
                    "an image path outside the image");
        } catch (const EVmError&) {
            // no configuration among the files: nothing to plan
        }
    }
    return 0;
}
