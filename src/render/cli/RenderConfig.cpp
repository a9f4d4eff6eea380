#include "RenderConfig.h"

#include "RenderGrub.h"
#include "RenderInput.h"
#include "RenderOutput.h"
#include "RenderVm.h"
#include "common/FileAccess.h"
#include "config/BootConfig.h"
#include "config/ConfigReading.h"
#include "config/LoaderDetection.h"
#include "keys/KeyWords.h"
#include "preview/ScreenSnapshot.h"
#include "render/ScreenPng.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaScreen.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// vesamenu.c32's screen: its picture, which is all there is of it.
int RenderGraphicalMenu(const RenderArguments& arguments, const LoaderSim::Graphics& graphics)
{
    if (arguments.format != RenderArguments::Format::Png)
        return Fail(QStringLiteral("the configuration runs vesamenu.c32, a graphical menu: give --format png"));
    QString note;
    const std::optional<Vesa::Font> font = MenuFont(note);
    if (!font)
        return Fail(QStringLiteral("the graphical menu needs QEMU's VGA BIOS (Debian package seabios) or fonts-pc"));
    if (!note.isEmpty())
        Tell(note);
    const Vesa::MenuScreen screen = Vesa::DrawLoaderMenu(graphics, *font);
    if (!screen.problem.isEmpty())
        Tell(screen.problem);
    return Write(arguments.output, PicturePng(screen.picture));
}

// Why a configuration cannot be played as the loader would: a file of its
// set that is there but cannot be read, or a bound of Glimra's met.
std::optional<QString> ReadingProblem(const BootFiles& files, const BootConfig& config)
{
    using Failure = BootFiles::Fetched::Failure;
    for (const ConfigFile& file : config.files) {
        if (file.failure == Failure::None || file.failure == Failure::Missing || file.includedFrom.line == 0)
            continue;
        // A name that leads out of the image is shown as written.
        const QString shown = file.failure == Failure::Outside
            ? QString::fromLatin1(file.imagePath)
            : files.HostPath(file.imagePath).value_or(QString::fromLatin1(file.imagePath));
        return QStringLiteral("cannot read %1, which %2 line %3 includes: %4")
            .arg(shown, QString::fromLatin1(file.includedFrom.file))
            .arg(file.includedFrom.line)
            .arg(FailureText(file.failure, file.reason));
    }
    if (config.stop && config.stop->kind == ConfigStop::Kind::Limit)
        return QStringLiteral("cannot play the configuration: %1").arg(StopText(*config.stop));
    return std::nullopt;
}

// The screen as JSON with the loader played beside it.
QByteArray WithLoader(const QByteArray& json, const LoaderVersion& version)
{
    QJsonObject object = QJsonDocument::fromJson(json).object();
    static const char* const origins[] = { "default", "tree", "chosen" };
    QJsonObject loader { { "version", version.Name() }, { "banner", QString::fromLatin1(version.banner) },
        { "origin", QString::fromLatin1(origins[static_cast<int>(version.origin)]) } };
    if (version.origin == LoaderVersion::Origin::Tree)
        loader.insert(u"file", QString::fromLatin1(version.file));
    object.insert(u"loader", loader);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// The simulator's screen after the keys.
template <typename Measurer>
int Play(const RenderArguments& arguments, const BootFiles& files, const LoaderVersion& version)
{
    PreviewScreen<Measurer> preview(arguments.dots);
    TColorConsole& console = preview.console;
    LoaderSim loader(console, files,
        arguments.start == RenderArguments::Start::Blank ? LoaderSim::Start::Blank : LoaderSim::Start::Banner, version);
    QString error;
    const std::vector<LoaderInput> keys = ParseLoaderKeys(arguments.keys, error).value_or(std::vector<LoaderInput> {});
    for (const LoaderInput& key : keys)
        loader.Give(key);
    if (!loader.Note().isEmpty())
        Tell(loader.Note());
    if (const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu())
        return RenderGraphicalMenu(arguments, *graphics);
    const BlinkPhase blink = arguments.Blinks() ? BlinkPhase::Shown : BlinkPhase::Bright;
    if (arguments.format == RenderArguments::Format::Serial)
        return Write(arguments.output, loader.Serial());
    if (arguments.format == RenderArguments::Format::Png) {
        // The 3.x/4.x core left in graphics mode by a display file's 0x18.
        if (const std::optional<Vesa::Picture> picture = loader.CoreGraphicsPicture())
            return Write(arguments.output, PicturePng(*picture));
        return Write(arguments.output, ConsolePng(console, blink, arguments.dots));
    }
    if (loader.CoreGraphicsPicture())
        Tell(QStringLiteral("the loader shows a picture in graphics mode: --format png draws it"));
    const QByteArray text = ScreenText(arguments, ScreenSnapshot::Of(console), true);
    return Write(arguments.output,
        arguments.format == RenderArguments::Format::Json ? WithLoader(text, loader.Version()) : text);
}

}

int RenderConfiguration(const RenderArguments& arguments, const GrubSide& side)
{
    const QString name = ShownName(arguments.config);
    const ReadOutcome top = ReadFileNative(arguments.config, InputLimit, ReadableKinds::RegularFiles);
    if (top.failure && top.failure->kind == ReadFailure::Kind::TooLarge)
        return Fail(QStringLiteral("cannot open %1: it holds more than %2 MiB, the most glimra-render reads")
                        .arg(name)
                        .arg(InputLimit >> 20));
    if (top.failure)
        return Fail(QStringLiteral("cannot open %1: %2").arg(name, top.failure->reason));
    // A file named on --config is a configuration, whatever its first line.
    BootFiles files = BootFiles::ForConfiguration(QFile::decodeName(arguments.config));
    const BootConfig config = ReadBootConfig(files, files.ConfigPath(), files.StartFolder());
    if (const std::optional<QString> problem = ReadingProblem(files, config))
        return Fail(*problem);
    // The UEFI side is GRUB's, made of the tree: no loader of the tree plays it.
    if (arguments.Uefi() && !arguments.Vm())
        return RenderGrub(arguments, files, side);
    const LoaderDetection loader = DetectLoader(files);
    for (const QString& note : loader.notes)
        Tell(note);
    if (arguments.firmware == RenderArguments::Firmware::Uefi)
        Tell(QStringLiteral("booting the UEFI side (GRUB) on OVMF"));
    else
        Tell(QStringLiteral("%1 %2").arg(arguments.Vm() ? u"booting" : u"playing", DescribeLoader(loader.version)));
    if (arguments.Vm())
        return InVm(
            [&] { return Write(arguments.output, RenderConfigurationInVm(arguments, files, GrubMaker(side))); });
    if (arguments.format == RenderArguments::Format::Png)
        return Play<PngMeasurer>(arguments, files, loader.version);
    return Play<FixedCellMeasurer>(arguments, files, loader.version);
}
