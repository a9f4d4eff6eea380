// glimra-render: renders display files as the preview shows them, or as
// the boot loader does, without a display, as JSON, ANSI colour text, PNG
// images or the loader's serial text; or checks them for problems.
#include "RenderArguments.h"
#include "boot/BootRendering.h"
#include "common/FileAccess.h"
#include "config/BootConfig.h"
#include "config/ConfigReading.h"
#include "config/ConfigSet.h"
#include "console/ColorConsole.h"
#include "console/ConsoleSinks.h"
#include "format/DisplayFile.h"
#include "lint/ConfigLinter.h"
#include "preview/PreviewConsole.h"
#include "preview/Rendering.h"
#include "preview/ScreenSnapshot.h"
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"
#include "sim/LoaderSim.h"
#include "vesa/VesaScreen.h"
#include "vm/BootImage.h"
#include "vm/ConfigImage.h"
#include "vm/HeadlessVm.h"

#ifdef GLIMRA_PAINTS_PNG
#include "console/qt/QtFonts.h"
#include "preview/ScreenImage.h"
#include <QGuiApplication>
#endif
#include "ScreenPng.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// No display file comes near this; an endless input stops here.
constexpr qint64 InputLimit = Limits::FileBytes;

int Fail(const QString& message)
{
    std::fprintf(stderr, "glimra-render: %s\n", qPrintable(message));
    return 1;
}

// Whether the caller closed standard input. Found before anything opens a
// file, which would then take its descriptor.
bool StandardInputClosed()
{
    static const bool closed = [] {
        if (::fcntl(STDIN_FILENO, F_GETFD) >= 0 || errno != EBADF)
            return false;
        ::open("/dev/null", O_RDONLY); // holds descriptor 0 from now on
        return true;
    }();
    return closed;
}

std::optional<QByteArray> ReadInput(const QByteArray& nativeName, QString& error)
{
    if (nativeName == "-" && StandardInputClosed()) {
        error = QStringLiteral("standard input is closed");
        return std::nullopt;
    }
    const QString name = nativeName == "-" ? QStringLiteral("standard input") : ShownName(nativeName);
    // A pipe or device named on the command line is read as any reader of it would.
    const ReadOutcome read = nativeName == "-" ? ReadStandardInput(InputLimit)
                                               : ReadFileNative(nativeName, InputLimit, ReadableKinds::AlsoStreams);
    if (!read.failure)
        return read.bytes;
    if (read.failure->kind == ReadFailure::Kind::TooLarge)
        error
            = QStringLiteral("%1 holds more than %2 MiB, the most glimra-render reads").arg(name).arg(InputLimit >> 20);
    else if (read.failure->kind == ReadFailure::Kind::Read)
        error = QStringLiteral("cannot read %1: %2").arg(name, read.failure->reason);
    else if (nativeName == "-")
        error = read.failure->reason.toLower();
    else
        error = QStringLiteral("cannot open %1: %2").arg(name, read.failure->reason);
    return std::nullopt;
}

QByteArray VmOutput(const RenderArguments& arguments, const VmScreen& vm);

// The real loader's screen, booted from a temporary folder that goes when
// this returns.
QByteArray RenderInVm(const RenderArguments& arguments, const QByteArray& bytes, const QString& folder)
{
    const VmTools tools = FindVmTools();
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    const BootImage image = BuildBootImage(tools, bytes, folder, work->path());
    for (const QString& missing : image.missingImages)
        std::fprintf(
            stderr, "glimra-render: image %s is not beside the file; booting without it\n", qPrintable(missing));
    for (const QString& refused : image.refused)
        std::fprintf(stderr, "glimra-render: image %s is not taken; booting without it\n", qPrintable(refused));
    const VmScreen vm = BootHeadless(tools, image.iso, work->path(), std::chrono::seconds(arguments.timeoutSeconds),
        arguments.format == RenderArguments::Format::Png);
    return VmOutput(arguments, vm);
}

// The real loader's screen in the format asked for.
QByteArray VmOutput(const RenderArguments& arguments, const VmScreen& vm)
{
    if (arguments.format == RenderArguments::Format::Png)
        return vm.png;
    if (arguments.format == RenderArguments::Format::Serial)
        return vm.serial;
    const ScreenSnapshot screen
        = ScreenSnapshot::OfVgaText(vm.text, VmScreen::Cols, VmScreen::Rows, vm.cursorColumn, vm.cursorRow);
    if (arguments.format == RenderArguments::Format::Json)
        return screen.ToJson(true);
    return qEnvironmentVariableIsEmpty("NO_COLOR") ? screen.ToAnsi(true) : screen.ToText();
}

// Cells need no font: every output but a painted PNG measures nothing.
#ifdef GLIMRA_PAINTS_PNG
using PngMeasurer = QtFontMeasurer;
#else
using PngMeasurer = FixedCellMeasurer;
#endif

// The console's screen as a PNG: composed from the VGA glyph table, or
// painted by the console where the build had none.
QByteArray PngOf(TColorConsole& console, const RenderArguments& arguments)
{
    const BlinkPhase blink = arguments.Blinks() ? BlinkPhase::Shown : BlinkPhase::Bright;
#ifdef GLIMRA_PAINTS_PNG
    return ToPng(PaintScreen(console, blink, arguments.dots));
#else
    return ScreenPng(ScreenSnapshot::Of(console), *BuiltInGlyphTable(arguments.dots), blink);
#endif
}

template <typename Measurer> QByteArray Render(const RenderArguments& arguments, const QByteArray& bytes)
{
    PreviewScreen<Measurer> preview(arguments.dots);
    TColorConsole& console = preview.console;
    QByteArray serial;
    if (arguments.Boot()) {
        serial = RenderBootScreen(console, bytes, { .prompt = arguments.prompt });
    } else {
        ConsoleSink sink(console);
        RenderDisplayFile(console, DisplayFile::NormaliseLineBreaks(bytes), sink);
    }
    if (arguments.format == RenderArguments::Format::Serial)
        return serial;
    if (arguments.format == RenderArguments::Format::Png)
        return PngOf(console, arguments);
    const ScreenSnapshot screen = ScreenSnapshot::Of(console);
    if (arguments.format == RenderArguments::Format::Ans)
        return WriteAnsiArt(ScreenOf(screen));
    if (arguments.format == RenderArguments::Format::Json)
        return screen.ToJson(arguments.Boot());
    // https://no-color.org: colour stays off when NO_COLOR is set and not empty.
    return qEnvironmentVariableIsEmpty("NO_COLOR") ? screen.ToAnsi(arguments.Blinks()) : screen.ToText();
}

int Write(const QByteArray& destination, const QByteArray& result);

// The whole configuration booted in QEMU from an image of its tree, the
// keys pressed over QEMU's machine protocol, each followed by a wait until
// the screen holds still; the screen after the last key.
QByteArray RenderConfigurationInVm(const RenderArguments& arguments, const BootFiles& files)
{
    const VmTools tools = FindVmTools();
    const ConfigImagePlan plan = PlanConfigImage(files, tools);
    for (const QString& note : plan.notes)
        std::fprintf(stderr, "glimra-render: %s\n", qPrintable(note));
    for (const ConfigImagePlan::Refusal& refused : plan.refused)
        std::fprintf(stderr, "glimra-render: %s is not put in the image: %s\n", qPrintable(ShownName(refused.name)),
            qPrintable(refused.reason));
    const std::unique_ptr<QTemporaryDir> work = MakeWorkFolder();
    const QString image = BuildConfigImage(tools, plan, work->path());
    HeadlessMachine machine(tools, image, plan.pxe, work->path(), std::chrono::seconds(arguments.timeoutSeconds));
    // Ready once the loader's banner is on the screen and the screen holds
    // still (longer over TFTP, where every file is a round trip).
    while (!LoaderBannerShown(machine.Screen()))
        machine.Sleep(50);
    // A graphical menu draws after its modules load, on a picture alone.
    const bool png = arguments.format == RenderArguments::Format::Png;
    VmScreen screen = machine.WaitStable(plan.pxe ? 1500 : png ? 1200 : 500, png);
    QString error;
    const std::vector<MachineKey> keys = MachineKeys(arguments.keys, error).value_or(std::vector<MachineKey> {});
    for (const MachineKey& key : keys) {
        if (key.sleepMs > 0) {
            machine.Sleep(key.sleepMs);
        } else if (key.timeout) {
            // The loader's timeout has run out when the screen changes by itself.
            for (VmScreen now = machine.Screen(png); now.text == screen.text && now.png == screen.png;
                 now = machine.Screen(png))
                machine.Sleep(100);
        } else if (!key.chord.isEmpty()) {
            machine.Press(key.chord);
        }
        screen = machine.WaitStable(png ? 800 : 300, png);
    }
    return VmOutput(arguments, machine.Screen(arguments.format == RenderArguments::Format::Png));
}

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
        std::fprintf(stderr, "glimra-render: %s\n", qPrintable(note));
    const Vesa::MenuScreen screen = Vesa::DrawLoaderMenu(graphics, *font);
    if (!screen.problem.isEmpty())
        std::fprintf(stderr, "glimra-render: %s\n", qPrintable(screen.problem));
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

// The simulator's screen after the keys (or the real loader's), in the format asked for.
int RenderConfiguration(const RenderArguments& arguments)
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
    if (arguments.Vm()) {
        try {
            return Write(arguments.output, RenderConfigurationInVm(arguments, files));
        } catch (const EVmStopped& stopped) {
            return 128 + stopped.Signal();
        } catch (const EVmError& failure) {
            const QString detail = QString::fromStdString(failure.Detail());
            return Fail(QString::fromStdString(failure.what())
                + (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail));
        }
    }
    QString error;
    const std::vector<LoaderInput> keys = *ParseLoaderKeys(arguments.keys, error);
    const bool png = arguments.format == RenderArguments::Format::Png;
    PreviewScreen<FixedCellMeasurer> cells(arguments.dots);
    std::optional<PreviewScreen<PngMeasurer>> painted;
    if (png)
        painted.emplace(arguments.dots);
    TColorConsole& console = png ? painted->console : cells.console;
    LoaderSim loader(console, files,
        arguments.start == RenderArguments::Start::Blank ? LoaderSim::Start::Blank : LoaderSim::Start::Banner);
    for (const LoaderInput& key : keys)
        loader.Give(key);
    if (!loader.Note().isEmpty())
        std::fprintf(stderr, "glimra-render: %s\n", qPrintable(loader.Note()));
    if (const std::optional<LoaderSim::Graphics> graphics = loader.GraphicalMenu())
        return RenderGraphicalMenu(arguments, *graphics);
    QByteArray result;
    if (arguments.format == RenderArguments::Format::Serial)
        result = loader.Serial();
    else if (arguments.format == RenderArguments::Format::Png)
        result = PngOf(console, arguments);
    else if (arguments.format == RenderArguments::Format::Json)
        result = ScreenSnapshot::Of(console).ToJson(true);
    else
        result = qEnvironmentVariableIsEmpty("NO_COLOR") ? ScreenSnapshot::Of(console).ToAnsi(arguments.Blinks())
                                                         : ScreenSnapshot::Of(console).ToText();
    return Write(arguments.output, result);
}

// Where an input's rendering goes: standard output, --output, or DIR/NAME.EXT.
QByteArray Destination(const RenderArguments& arguments, const QByteArray& input)
{
    if (arguments.outputDir.isEmpty())
        return arguments.output;
    using Format = RenderArguments::Format;
    const auto extensionOf = [](Format format) -> QByteArray {
        switch (format) {
        case Format::Json: return "json";
        case Format::Ansi: return "ans";
        case Format::Png: return "png";
        case Format::Serial: return "txt";
        case Format::Ans: return "ans";
        case Format::Msg: return "msg";
        case Format::Text: break;
        }
        return "txt";
    };
    const QByteArray extension = !arguments.check ? extensionOf(arguments.format)
        : arguments.format == Format::Json        ? QByteArray("check.json")
                                                  : QByteArray("check");
    const QByteArray name = input == "-" ? QByteArray("stdin") : input.mid(input.lastIndexOf('/') + 1);
    QByteArray folder = arguments.outputDir;
    if (!folder.endsWith('/'))
        folder += '/';
    return folder + name + '.' + extension;
}

int Write(const QByteArray& destination, const QByteArray& result)
{
    if (destination.isEmpty()) {
        std::cout.write(result.constData(), result.size()).flush();
        return std::cout ? 0 : Fail(QStringLiteral("cannot write the output"));
    }
    if (const std::optional<SaveFailure> failure = SaveBytesNative(destination, result))
        return Fail(QStringLiteral("cannot write %1: %2").arg(ShownName(destination), failure->reason));
    return 0;
}

QString FolderOf(const QByteArray& input)
{
    return input == "-" ? QString() : QFileInfo(ShownName(input)).absolutePath();
}

// The same file for two names: the same inode when it exists, the same
// clean absolute path when it does not yet.
bool SameFile(const QByteArray& one, const QByteArray& other)
{
    struct stat a {
    }, b {};
    if (::stat(one.constData(), &a) == 0 && ::stat(other.constData(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    const auto absolute = [](const QByteArray& name) {
        return QDir::cleanPath(QDir::current().absoluteFilePath(QFile::decodeName(name)));
    };
    return absolute(one) == absolute(other);
}

// Outputs that would overwrite each other or an input, found before
// anything is read or written.
std::optional<QString> OutputClash(const RenderArguments& arguments)
{
    if (arguments.inputs.count("-") > 1)
        return QStringLiteral("standard input (-) is named more than once");
    QByteArrayList outputs;
    if (arguments.outputDir.isEmpty() && !arguments.output.isEmpty())
        outputs << arguments.output;
    for (const QByteArray& input : arguments.outputDir.isEmpty() ? QByteArrayList() : arguments.inputs) {
        const QByteArray output = Destination(arguments, input);
        for (const QByteArray& earlier : std::as_const(outputs)) {
            if (SameFile(earlier, output))
                return QStringLiteral("two inputs would be written to %1").arg(ShownName(output));
        }
        outputs << output;
    }
    for (const QByteArray& output : std::as_const(outputs)) {
        for (const QByteArray& input : arguments.inputs) {
            if (input != "-" && SameFile(output, input))
                return QStringLiteral("the output %1 would replace the input %2")
                    .arg(ShownName(output), ShownName(input));
        }
    }
    return std::nullopt;
}

int RenderOne(const RenderArguments& arguments, const QByteArray& input)
{
    QString error;
    std::optional<QByteArray> bytes = ReadInput(input, error);
    if (!bytes)
        return Fail(error);
    QStringList losses;
    if (arguments.input == RenderArguments::Input::AnsiArt) {
        ImportedArt art = ImportAnsiArt(ReadAnsiArt(*bytes));
        *bytes = art.bytes;
        losses = art.losses;
    }
    if (arguments.clear)
        bytes->prepend('\x0c');
    if (arguments.format == RenderArguments::Format::Msg) {
        const Screen screen = BootScreenOf(*bytes).screen;
        const Encoding encoding = EncodeScreen(screen);
        if (!encoding.left.empty() && arguments.input != RenderArguments::Input::AnsiArt)
            losses << DescribeLeftCells(screen, encoding.left);
        *bytes = encoding.bytes;
    }
    const QString name = input == "-" ? QStringLiteral("standard input") : ShownName(input);
    for (const QString& loss : std::as_const(losses))
        std::fprintf(stderr, "glimra-render: %s: %s\n", qPrintable(name), qPrintable(loss));
    const int lost = losses.isEmpty() ? 0 : 1;
    if (arguments.format == RenderArguments::Format::Msg)
        return std::max(Write(Destination(arguments, input), *bytes), lost);
    if (!arguments.Vm()) {
        const QByteArray result = arguments.format == RenderArguments::Format::Png
            ? Render<PngMeasurer>(arguments, *bytes)
            : Render<FixedCellMeasurer>(arguments, *bytes);
        return std::max(Write(Destination(arguments, input), result), lost);
    }
    try {
        return std::max(Write(Destination(arguments, input), RenderInVm(arguments, *bytes, FolderOf(input))), lost);
    } catch (const EVmStopped& stopped) {
        return 128 + stopped.Signal();
    } catch (const EVmError& failure) {
        const QString detail = QString::fromStdString(failure.Detail());
        return Fail(
            QString::fromStdString(failure.what()) + (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail));
    }
}

struct Report {
    QByteArrayList lines; // one line per problem
    QJsonArray json; // the same as JSON objects
    bool failed = false; // an error or a warning
};

void Add(const QString& name, const Problem& problem, Report& report)
{
    report.failed |= problem.severity != Severity::Note;
    report.lines += QStringLiteral("%1:%2:%3: %4: %5 [%6]\n")
                        .arg(name)
                        .arg(problem.line)
                        .arg(problem.column)
                        .arg(SeverityName(problem.severity), problem.Text(), problem.code)
                        .toUtf8();
    report.json.append(QJsonObject { { "file", name }, { "line", problem.line }, { "column", problem.column },
        { "offset", problem.offset }, { "severity", SeverityName(problem.severity) }, { "code", problem.code },
        { "message", problem.message }, { "count", problem.count } });
}

// A boot configuration is checked with every file of its set, as part of
// the tree it belongs to when another configuration reads it; a display
// file on its own.
void CheckOne(const QByteArray& input, const QByteArray& bytes, Report& report)
{
    const QString name = ShownName(input);
    if (input != "-" && LooksLikeBootConfig(bytes)) {
        const QString self = QFileInfo(name).absoluteFilePath();
        for (const FileProblem& found : LintBootConfig(BootFiles::ForConfiguration(OwningConfiguration(self))))
            Add(found.file == self ? name : found.file, found.problem, report);
        return;
    }
    for (const Problem& problem : LintLoneDisplayFile(bytes, FolderOf(input)))
        Add(name, problem, report);
}

QByteArray Written(const RenderArguments& arguments, const Report& report)
{
    return arguments.format == RenderArguments::Format::Json ? QJsonDocument(report.json).toJson()
                                                             : report.lines.join();
}

// Each file's report to DIR/NAME.check(.json), or all of them to one place.
int CheckAll(const RenderArguments& arguments)
{
    int status = 0;
    Report all;
    QSet<QByteArray> listed;
    for (const QByteArray& input : arguments.inputs) {
        QString error;
        const std::optional<QByteArray> bytes = ReadInput(input, error);
        if (!bytes) {
            Fail(error);
            status = 2;
            continue;
        }
        Report report;
        CheckOne(input, *bytes, report);
        if (!arguments.outputDir.isEmpty()) {
            status = std::max(status, Write(Destination(arguments, input), Written(arguments, report)) ? 2 : 0);
        } else {
            // Files of one set name the same findings once.
            for (qsizetype at = 0; at < report.lines.size(); ++at) {
                if (!listed.contains(report.lines[at])) {
                    listed.insert(report.lines[at]);
                    all.lines += report.lines[at];
                    all.json.append(report.json[at]);
                }
            }
        }
        all.failed |= report.failed;
    }
    if (arguments.outputDir.isEmpty() && Write(arguments.output, Written(arguments, all)) != 0)
        status = 2;
    return status == 2 ? 2 : all.failed ? 1 : 0;
}

}

int main(int argc, char* argv[])
{
    // Qt's own warnings (a missing runtime folder ...) are not this tool's to say.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    StandardInputClosed();
    const ParsedLine line = ParseRenderLine(argc, argv);
    if (line.exitStatus >= 0)
        return line.exitStatus;
    if (const std::optional<QString> clash = OutputClash(line.arguments)) {
        std::fprintf(stderr, "glimra-render: %s; nothing was written\n", qPrintable(*clash));
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (line.arguments.check) {
        QCoreApplication application(argc, argv);
        return CheckAll(line.arguments);
    }
#ifdef GLIMRA_PAINTS_PNG
    // Painting needs the GUI library's fonts; nothing else here does.
    std::unique_ptr<QCoreApplication> application = line.arguments.format == RenderArguments::Format::Png
        ? std::make_unique<QGuiApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
#else
    QCoreApplication application(argc, argv);
#endif
    if (line.arguments.Vm())
        StopMachinesOnSignals();
    if (line.arguments.Playing())
        return RenderConfiguration(line.arguments);
    int status = 0;
    for (const QByteArray& input : line.arguments.inputs)
        status = std::max(status, RenderOne(line.arguments, input));
    return status;
}
