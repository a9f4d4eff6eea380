#include "GrubMenu.h"

#include "GrubPictures.h"
#include "GrubScript.h"
#include "GrubTheme.h"
#include "boot/BootRendering.h"
#include "common/Exceptions.h"
#include "config/ConfigSet.h"
#include "config/LoaderDetection.h"
#include "console/TextMetrics.h"
#include "format/Palette.h"
#include "preview/PreviewConsole.h"
#include "preview/ScreenSnapshot.h"
#include "vesa/BackgroundFit.h"
#include "vesa/VesaMenu.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

using Vesa::Picture;
using Vesa::Rgb;

int Digit(char digit) { return QByteArray(1, digit).toInt(nullptr, 16); }

Rgb RgbOf(int digit)
{
    const TColor colour = Palette[static_cast<std::size_t>(digit & 15)];
    return Rgb(RedOf(colour)) << 16 | Rgb(GreenOf(colour)) << 8 | Rgb(BlueOf(colour));
}

// A display file as the loader shows it on a cleared text screen, drawn in
// the font on GRUB's 640 x 480 screen, the 80 x 25 cells at the top.
QByteArray ScreenPicture(const BootFiles& files, const GrubScreenFile& screen, const PcFont& font)
{
    const std::optional<QByteArray> bytes = files.Read(screen.displayFile);
    if (!bytes)
        return {};
    PreviewScreen<FixedCellMeasurer> preview;
    RenderBootScreen(preview.console, *bytes, BootOptions {});
    const ScreenSnapshot shot = ScreenSnapshot::Of(preview.console);
    Picture picture(640, 480);
    const int height = std::min(font.height, 16);
    for (int row = 0; row < std::min(shot.rows, 480 / 16); ++row) {
        for (int column = 0; column < std::min(shot.cols, 80); ++column) {
            const auto byte = static_cast<unsigned char>(shot.bytes[row][column]);
            // Background digits 8-f blink on the VGA: their dark half shows.
            const Rgb ink = RgbOf(Digit(shot.foreground[row][column]));
            const Rgb paper = RgbOf(Digit(shot.background[row][column]) & 7);
            for (int y = 0; y < height; ++y) {
                const std::uint8_t dots = font.rows[static_cast<std::size_t>(byte * font.height + y)];
                for (int x = 0; x < 8; ++x)
                    picture.At(8 * column + x, 16 * row + y) = dots & (0x80 >> x) ? ink : paper;
            }
        }
    }
    return GrubPictures::RgbPng(picture);
}

std::optional<PcFont> MenuFontOf(const BootFiles& files, const ConfigSet& set)
{
    if (!set.members.empty()) {
        if (const std::optional<AppliedFont> applied = FontThatApplies(set.members.front().config, files))
            return applied->font;
    }
    return Vesa::BiosFont();
}

void AddThemes(const BootFiles& files, const GrubPlan& plan, const PcFont& font, GrubSideFiles& side)
{
    if (!plan.run)
        return;
    const GrubLookSource source { plan.run->menus, files, plan.member->folder, DetectLoader(files).version,
        plan.run->kind == MenuKind::Graphical, font };
    for (const GrubPlanMenu& menu : plan.menus) {
        if (menu.sourceMenu < 0)
            continue;
        std::vector<int> entries;
        for (const GrubPlanEntry& entry : menu.entries)
            entries.push_back(entry.sourceMenu == menu.sourceMenu ? entry.sourceEntry : -1);
        GrubTheme theme = MakeGrubTheme(source, menu.sourceMenu, entries);
        side.exact = side.exact && theme.exact;
        if (!theme.note.trimmed().isEmpty() && !side.notes.contains(theme.note.trimmed()))
            side.notes << theme.note.trimmed();
        for (GrubFile& file : theme.files)
            side.files.push_back(std::move(file));
    }
}

}

GrubSideFiles MakeGrubSide(const BootFiles& files, const ConfigSet& set)
{
    GrubSideFiles side;
    const GrubPlan plan = PlanGrubMenu(files, set);
    const std::optional<PcFont> font = MenuFontOf(files, set);
    GrubScriptOptions options;
    if (!font) {
        // Without the VGA BIOS's font the themes cannot be drawn: GRUB's own menu shows.
        options.themePath = [](int) { return QByteArray(); };
        options.fontPath.clear();
        side.notes << QStringLiteral("No font to draw the menu in (Debian's seabios holds the VGA BIOS's): GRUB "
                                     "shows its own menu, without the theme.");
        side.exact = false;
    }
    side.files.push_back({ "grub.cfg", WriteGrubScript(plan, options) });
    side.findings = plan.findings;
    if (!font)
        return side;
    side.files.push_back(GrubFont(*font));
    AddThemes(files, plan, *font, side);
    for (const GrubScreenFile& screen : plan.screens) {
        const QByteArray png = ScreenPicture(files, screen, *font);
        if (!png.isEmpty())
            side.files.push_back({ "glimra/screens/" + screen.name + ".png", png });
    }
    return side;
}

GrubSideFiles MakeGrubSide(const BootFiles& files) { return MakeGrubSide(files, ReadConfigSet(files)); }

void WriteGrubFolder(const std::vector<GrubFile>& files, const QString& folder)
{
    const QFileInfo target(folder);
    if (target.exists() && (!target.isDir() || target.isSymLink()))
        throw Exception((folder + QStringLiteral(" is not a folder: name a new or an empty one")).toStdString());
    if (target.exists() && !QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        throw Exception((folder + QStringLiteral(" already holds files: name a new or an empty folder")).toStdString());
    if (!target.absoluteDir().exists())
        throw Exception((folder + QStringLiteral(": its folder does not exist")).toStdString());
    QTemporaryDir work(target.absoluteDir().filePath(QStringLiteral(".%1.glimra-XXXXXX").arg(target.fileName())));
    if (!work.isValid())
        throw Exception(("Cannot write beside " + folder + ": " + work.errorString()).toStdString());
    for (const GrubFile& file : files) {
        const QString path = work.filePath(QString::fromUtf8(file.path));
        if (file.path.isEmpty() || file.path.startsWith('/') || file.path.contains("..")
            || !QDir().mkpath(QFileInfo(path).absolutePath()))
            throw Exception("Cannot write " + file.path.toStdString());
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file.bytes) != file.bytes.size() || !out.flush())
            throw Exception(("Cannot write " + path + ": " + out.errorString()).toStdString());
    }
    QFile::setPermissions(work.path(),
        QFile::permissions(work.path()) | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    // An empty folder at the target gives way; anything else stays.
    if (target.exists())
        QDir().rmdir(target.absoluteFilePath());
    if (std::rename(
            QFile::encodeName(work.path()).constData(), QFile::encodeName(target.absoluteFilePath()).constData())
        != 0)
        throw Exception(("Cannot put " + folder + " in place").toStdString());
    work.setAutoRemove(false);
}
