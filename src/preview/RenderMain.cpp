// glimra-render: renders display files as the preview shows them, or as
// the boot loader does, without a display, as JSON, ANSI colour text, PNG
// images or the loader's serial text; or checks them for problems.
#include "PreviewConsole.h"
#include "Rendering.h"
#include "ScreenImage.h"
#include "ScreenSnapshot.h"
#include "boot/BootRendering.h"
#include "common/FileAccess.h"
#include "config/BootConfig.h"
#include "console/ColorConsole.h"
#include "console/ConsoleSinks.h"
#include "console/qt/QtFonts.h"
#include "format/DisplayFile.h"
#include "lint/ConfigLinter.h"
#include "sim/LoaderSim.h"
#include "vm/BootImage.h"
#include "vm/HeadlessVm.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
constexpr qint64 InputLimit = qint64(64) << 20;

struct Arguments {
    QString mode = QStringLiteral("preview");
    QString format = QStringLiteral("json");
    QString blink = QStringLiteral("on");
    QString font = QStringLiteral("vga9");
    bool prompt = false;
    bool check = false; // report problems instead of rendering
    bool clear = false; // one 0x0C in front of each file
    int timeoutSeconds = 30; // for the virtual machine
    // A whole configuration played by the loader's simulator instead of files.
    QByteArray config;
    QString keys;
    bool blankStart = false;
    // File names as the system gave them: any bytes, "-" for standard input.
    QByteArray output;
    QByteArray outputDir;
    QByteArrayList inputs;

    bool Boot() const { return mode == u"boot" || !config.isEmpty(); }
    bool Vm() const { return mode == u"vm"; }
    VgaDots Dots() const { return font == u"vga8" ? VgaDots::Eight : VgaDots::Nine; }
    // Blinking shows only in boot mode; the preview shows digits 8-f bright.
    bool Blink() const { return Boot() && blink == u"on"; }
};

struct ParsedLine {
    Arguments arguments;
    int exitStatus = -1; // set when the program ends here
};

// The file names among the words, as bytes: Qt's strings cannot hold a
// name that is not valid in the system's encoding. The words passed the
// parser already, so every option is known.
void NativeNames(int argc, char* argv[], const QList<QCommandLineOption>& options, Arguments& arguments)
{
    QByteArrayList valued;
    for (const QCommandLineOption& option : options) {
        if (!option.valueName().isEmpty())
            valued << "--" + option.names().constLast().toLatin1();
    }
    bool inOptions = true;
    for (int i = 1; i < argc; ++i) {
        const QByteArray word = argv[i];
        if (inOptions && word == "--") {
            inOptions = false;
        } else if (inOptions && word.startsWith('-') && word != "-") {
            const qsizetype equals = word.indexOf('=');
            const QByteArray name = equals < 0 ? word : word.left(equals);
            const QByteArray value = equals >= 0        ? word.mid(equals + 1)
                : valued.contains(name) && i + 1 < argc ? QByteArray(argv[++i])
                                                        : QByteArray();
            if (name == "--output")
                arguments.output = value;
            else if (name == "--output-dir")
                arguments.outputDir = value;
            else if (name == "--config")
                arguments.config = value;
        } else {
            arguments.inputs << word;
        }
    }
}

int UsageError(const QString& message, const QString& help)
{
    std::fprintf(stderr, "glimra-render: %s\n%s", qPrintable(message), qPrintable(help));
    return 2;
}

// The word that is not one of the known values, if any.
std::optional<QString> UnknownValue(const QString& option, const QString& value, const QStringList& known)
{
    if (known.contains(value))
        return std::nullopt;
    return QStringLiteral("unknown %1 '%2' (%3)").arg(option, value, known.join(u'|'));
}

ParsedLine Parse(int argc, char* argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders SYSLINUX display files without a display."));
    const QCommandLineOption help({ "h", "help" }, QStringLiteral("Shows this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Shows the version."));
    const QCommandLineOption mode(QStringLiteral("mode"),
        QStringLiteral("preview: as the editor's preview draws it; boot: as the boot loader does; vm: the real "
                       "loader, booted in QEMU (the whole screen, firmware lines included, unless --clear)."),
        QStringLiteral("preview|boot|vm"), QStringLiteral("preview"));
    const QCommandLineOption format(QStringLiteral("format"),
        QStringLiteral("json, ansi (colour text), png (720 x 400) or serial (boot mode: the serial port's text)."),
        QStringLiteral("json|ansi|png|serial"), QStringLiteral("json"));
    const QCommandLineOption prompt(
        QStringLiteral("prompt"), QStringLiteral("Draws the loader's boot: prompt after the file."));
    const QCommandLineOption blink(QStringLiteral("blink"),
        QStringLiteral("Backgrounds 8-f: blinking text on the dark background (on) or bright (bright)."),
        QStringLiteral("on|bright"), QStringLiteral("on"));
    const QCommandLineOption font(QStringLiteral("font"), QStringLiteral("The VGA font's 9-dot or 8-dot cells."),
        QStringLiteral("vga9|vga8"), QStringLiteral("vga9"));
    const QCommandLineOption output(
        QStringLiteral("output"), QStringLiteral("Writes to FILE."), QStringLiteral("FILE"));
    const QCommandLineOption outputDir(QStringLiteral("output-dir"),
        QStringLiteral("Writes DIR/NAME.EXT for each file (EXT json, ans, png or txt)."), QStringLiteral("DIR"));
    const QCommandLineOption check(QStringLiteral("check"),
        QStringLiteral("Reports the files' problems, one per line (or with --format json, a JSON array); exit "
                       "status 1 when there is an error or a warning."));
    const QCommandLineOption clear(QStringLiteral("clear"), QStringLiteral("Puts one 0x0C in front of each file."));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
        QStringLiteral("vm mode: gives up after this many seconds (30)."), QStringLiteral("SECONDS"),
        QStringLiteral("30"));
    const QCommandLineOption config(QStringLiteral("config"),
        QStringLiteral("Plays the boot configuration FILE (isolinux.cfg ...) as the loader does, in boot mode."),
        QStringLiteral("FILE"));
    const QCommandLineOption keys(QStringLiteral("keys"),
        QStringLiteral("With --config: keys pressed at the loader, space-separated: QEMU key names (f1, ret, tab, "
                       "ctrl-u ...), \"typed text\", sleep:MS, timeout."),
        QStringLiteral("KEYS"));
    const QCommandLineOption start(QStringLiteral("start"),
        QStringLiteral("With --config: the screen the loader starts on, the firmware's and banner's (banner) or "
                       "an empty one (blank)."),
        QStringLiteral("banner|blank"), QStringLiteral("banner"));
    const QList<QCommandLineOption> options = { help, version, mode, format, prompt, blink, font, output, outputDir,
        check, clear, timeout, config, keys, start };
    parser.addOptions(options);
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("Display files; - reads standard input; -- ends the options."), "FILE...");
    const QString helpText
        = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("glimra-render"));

    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    ParsedLine line;
    if (!parser.parse(words)) {
        line.exitStatus = UsageError(parser.errorText(), helpText);
        return line;
    }
    if (parser.isSet(help) || parser.isSet(version)) {
        std::fputs(parser.isSet(help) ? qPrintable(helpText) : "glimra-render " GLIMRA_VERSION "\n", stdout);
        line.exitStatus = 0;
        return line;
    }
    Arguments& arguments = line.arguments;
    arguments.mode = parser.value(mode);
    arguments.format = parser.value(format);
    arguments.blink = parser.value(blink);
    arguments.font = parser.value(font);
    arguments.prompt = parser.isSet(prompt);
    arguments.check = parser.isSet(check);
    arguments.clear = parser.isSet(clear);
    bool timeoutRead = false;
    arguments.timeoutSeconds = parser.value(timeout).toInt(&timeoutRead);
    if (arguments.check && !parser.isSet(format))
        arguments.format = QStringLiteral("text");
    NativeNames(argc, argv, options, arguments);
    arguments.keys = parser.value(keys);
    arguments.blankStart = parser.value(start) == u"blank";
    const bool playing = !arguments.config.isEmpty();
    std::optional<QString> problem = UnknownValue(QStringLiteral("mode"), arguments.mode, { "preview", "boot", "vm" });
    if (!problem && (!timeoutRead || arguments.timeoutSeconds <= 0))
        problem = QStringLiteral("--timeout takes a number of seconds above 0");
    if (!problem && arguments.Vm() && parser.isSet(blink))
        problem = QStringLiteral("--blink has no meaning in vm mode: QEMU's picture shows backgrounds 8-f bright");
    if (!problem && !arguments.check)
        problem = UnknownValue(QStringLiteral("format"), arguments.format, { "json", "ansi", "png", "serial" });
    if (!problem)
        problem = UnknownValue(QStringLiteral("blink"), arguments.blink, { "on", "bright" });
    if (!problem)
        problem = UnknownValue(QStringLiteral("font"), arguments.font, { "vga9", "vga8" });
    if (!problem && arguments.check && arguments.format != u"json" && arguments.format != u"text")
        problem = QStringLiteral("--check writes text or --format json");
    if (!problem && arguments.format == u"serial" && !arguments.Boot() && !arguments.Vm())
        problem = QStringLiteral("--format serial needs --mode boot or vm");
    if (!problem && !playing && (parser.isSet(keys) || parser.isSet(start)))
        problem = QStringLiteral("--keys and --start play a configuration: give --config FILE");
    if (!problem && playing && parser.isSet(mode) && arguments.mode != u"boot")
        problem = arguments.mode == u"vm" ? QStringLiteral("--mode vm with --config is not available yet")
                                          : QStringLiteral("--config plays the loader: --mode preview has no meaning");
    if (!problem && playing && (arguments.check || !arguments.inputs.isEmpty() || !arguments.outputDir.isEmpty()))
        problem = QStringLiteral("--config renders one screen: no FILE, --check or --output-dir with it");
    if (!problem)
        problem = UnknownValue(QStringLiteral("start"), parser.value(start), { "banner", "blank" });
    if (!problem && playing) {
        QString keyError;
        if (!ParseLoaderKeys(arguments.keys, keyError))
            problem = keyError;
    }
    if (!problem && arguments.inputs.isEmpty() && !playing)
        problem = QStringLiteral("no file to render");
    if (!problem && !arguments.output.isEmpty() && !arguments.outputDir.isEmpty())
        problem = QStringLiteral("--output and --output-dir exclude each other");
    if (!problem && arguments.inputs.size() > 1 && arguments.outputDir.isEmpty() && !arguments.check)
        problem = QStringLiteral("several files need --output-dir");
    if (!problem && arguments.format == u"png" && arguments.output.isEmpty() && arguments.outputDir.isEmpty()
        && ::isatty(STDOUT_FILENO))
        problem = QStringLiteral("a PNG is not for a terminal: give --output FILE or redirect the output");
    if (problem)
        line.exitStatus = UsageError(*problem, helpText);
    return line;
}

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

// The real loader's screen, booted from a temporary folder that goes when
// this returns.
QByteArray RenderInVm(const Arguments& arguments, const QByteArray& bytes, const QString& folder)
{
    const VmTools tools = FindVmTools();
    QTemporaryDir work;
    if (!work.isValid())
        throw EVmError("Cannot make a temporary folder.", work.errorString().toStdString());
    const BootImage image = BuildBootImage(tools, bytes, folder, work.path());
    for (const QString& missing : image.missingImages)
        std::fprintf(
            stderr, "glimra-render: image %s is not beside the file; booting without it\n", qPrintable(missing));
    const VmScreen vm = BootHeadless(
        tools, image.iso, work.path(), std::chrono::seconds(arguments.timeoutSeconds), arguments.format == u"png");
    if (arguments.format == u"png")
        return vm.png;
    if (arguments.format == u"serial")
        return vm.serial;
    const ScreenSnapshot screen
        = ScreenSnapshot::OfVgaText(vm.text, VmScreen::Cols, VmScreen::Rows, vm.cursorColumn, vm.cursorRow);
    if (arguments.format == u"json")
        return screen.ToJson(true);
    return qEnvironmentVariableIsEmpty("NO_COLOR") ? screen.ToAnsi(true) : screen.ToText();
}

QByteArray Render(const Arguments& arguments, const QByteArray& bytes)
{
    QtFontMeasurer measurer(arguments.Dots());
    TColorConsole console(measurer);
    LoadPreviewConsole(console);
    SetPreviewFont(console.Font());
    QByteArray serial;
    if (arguments.Boot()) {
        serial = RenderBootScreen(console, bytes, { .prompt = arguments.prompt });
    } else {
        ConsoleSink sink(console);
        RenderDisplayFile(console, DisplayFile::NormaliseLineBreaks(bytes), sink);
    }
    if (arguments.format == u"serial")
        return serial;
    if (arguments.format == u"png")
        return ToPng(
            PaintScreen(console, arguments.Blink() ? BlinkPhase::Shown : BlinkPhase::Bright, arguments.Dots()));
    const ScreenSnapshot screen = ScreenSnapshot::Of(console);
    if (arguments.format == u"json")
        return screen.ToJson(arguments.Boot());
    // https://no-color.org: colour stays off when NO_COLOR is set and not empty.
    return qEnvironmentVariableIsEmpty("NO_COLOR") ? screen.ToAnsi(arguments.Blink()) : screen.ToText();
}

int Write(const QByteArray& destination, const QByteArray& result);

// The simulator's screen after the keys, in the format asked for.
int RenderConfiguration(const Arguments& arguments)
{
    const QString name = ShownName(arguments.config);
    const ReadOutcome top = ReadFileNative(arguments.config, InputLimit, ReadableKinds::RegularFiles);
    if (top.failure)
        return Fail(QStringLiteral("cannot open %1: %2").arg(name, top.failure->reason));
    if (!LooksLikeBootConfig(top.bytes))
        return Fail(
            QStringLiteral("%1 is not a boot configuration: its first directive is no SYSLINUX keyword").arg(name));
    BootFiles files = BootFiles::ForConfiguration(QFile::decodeName(arguments.config));
    const BootConfig config = ReadBootConfig(files, files.ConfigPath(), files.StartFolder());
    for (const ConfigFile& file : config.files) {
        const std::optional<QString> host = files.HostPath(file.imagePath);
        if (!file.found && host && QFileInfo::exists(*host))
            return Fail(QStringLiteral("cannot read %1, which %2 line %3 includes")
                            .arg(*host, QString::fromLatin1(file.includedFrom.file))
                            .arg(file.includedFrom.line));
    }
    QString error;
    const std::vector<LoaderInput> keys = *ParseLoaderKeys(arguments.keys, error);
    QtFontMeasurer measurer(arguments.Dots());
    TColorConsole console(measurer);
    LoadPreviewConsole(console);
    SetPreviewFont(console.Font());
    LoaderSim loader(console, files, arguments.blankStart ? LoaderSim::Start::Blank : LoaderSim::Start::Banner);
    for (const LoaderInput& key : keys)
        loader.Give(key);
    if (!loader.Note().isEmpty())
        std::fprintf(stderr, "glimra-render: %s\n", qPrintable(loader.Note()));
    QByteArray result;
    if (arguments.format == u"serial")
        result = loader.Serial();
    else if (arguments.format == u"png")
        result
            = ToPng(PaintScreen(console, arguments.Blink() ? BlinkPhase::Shown : BlinkPhase::Bright, arguments.Dots()));
    else if (arguments.format == u"json")
        result = ScreenSnapshot::Of(console).ToJson(true);
    else
        result = qEnvironmentVariableIsEmpty("NO_COLOR") ? ScreenSnapshot::Of(console).ToAnsi(arguments.Blink())
                                                         : ScreenSnapshot::Of(console).ToText();
    return Write(arguments.output, result);
}

// Where an input's rendering goes: standard output, --output, or DIR/NAME.EXT.
QByteArray Destination(const Arguments& arguments, const QByteArray& input)
{
    if (arguments.outputDir.isEmpty())
        return arguments.output;
    static const QHash<QString, QByteArray> extensions
        = { { "json", "json" }, { "ansi", "ans" }, { "png", "png" }, { "serial", "txt" } };
    const QByteArray extension = !arguments.check ? extensions.value(arguments.format)
        : arguments.format == u"json"             ? QByteArray("check.json")
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
std::optional<QString> OutputClash(const Arguments& arguments)
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

int RenderOne(const Arguments& arguments, const QByteArray& input)
{
    QString error;
    std::optional<QByteArray> bytes = ReadInput(input, error);
    if (!bytes)
        return Fail(error);
    if (arguments.clear)
        bytes->prepend('\x0c');
    if (!arguments.Vm())
        return Write(Destination(arguments, input), Render(arguments, *bytes));
    try {
        return Write(Destination(arguments, input), RenderInVm(arguments, *bytes, FolderOf(input)));
    } catch (const EVmError& failure) {
        const QString detail = QString::fromStdString(failure.Detail());
        return Fail(
            QString::fromStdString(failure.what()) + (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail));
    }
}

struct Report {
    QByteArray text; // one line per problem, or the JSON objects
    QJsonArray json;
    bool failed = false; // an error or a warning
};

void Add(const QString& name, const Problem& problem, Report& report)
{
    report.failed |= problem.severity != Severity::Note;
    report.text += QStringLiteral("%1:%2:%3: %4: %5 [%6]\n")
                       .arg(name)
                       .arg(problem.line)
                       .arg(problem.column)
                       .arg(SeverityName(problem.severity), problem.Text(), problem.code)
                       .toUtf8();
    report.json.append(QJsonObject { { "file", name }, { "line", problem.line }, { "column", problem.column },
        { "offset", problem.offset }, { "severity", SeverityName(problem.severity) }, { "code", problem.code },
        { "message", problem.message }, { "count", problem.count } });
}

// A boot configuration is checked with every file of its set; a display
// file on its own.
void CheckOne(const QByteArray& input, const QByteArray& bytes, Report& report)
{
    const QString name = ShownName(input);
    if (input != "-" && LooksLikeBootConfig(bytes)) {
        for (const FileProblem& found : LintBootConfig(BootFiles::ForConfiguration(name)))
            Add(found.file == QFileInfo(name).absoluteFilePath() ? name : found.file, found.problem, report);
        return;
    }
    for (const Problem& problem : LintLoneDisplayFile(bytes, FolderOf(input)))
        Add(name, problem, report);
}

QByteArray Written(const Arguments& arguments, const Report& report)
{
    return arguments.format == u"json" ? QJsonDocument(report.json).toJson() : report.text;
}

// Each file's report to DIR/NAME.check(.json), or all of them to one place.
int CheckAll(const Arguments& arguments)
{
    int status = 0;
    Report all;
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
            all.text += report.text;
            for (const QJsonValue& problem : std::as_const(report.json))
                all.json.append(problem);
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
    StandardInputClosed();
    const ParsedLine line = Parse(argc, argv);
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
    QGuiApplication application(argc, argv);
    if (!line.arguments.config.isEmpty())
        return RenderConfiguration(line.arguments);
    int status = 0;
    for (const QByteArray& input : line.arguments.inputs)
        status = std::max(status, RenderOne(line.arguments, input));
    return status;
}
