#include "RenderArguments.h"

#include "sim/LoaderKeys.h"

#include <QCommandLineParser>

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

#ifdef GLIMRA_PAINTS_PNG
constexpr const char* VersionText = "glimra-render " GLIMRA_VERSION "\n"
                                    "PNG pictures are painted with the system's fonts: this build had no VGA glyph "
                                    "table (Debian's fonts-pc was missing).\n";
#else
constexpr const char* VersionText = "glimra-render " GLIMRA_VERSION "\n";
#endif

// The file names among the words, as bytes: Qt's strings cannot hold a
// name that is not valid in the system's encoding. The words passed the
// parser already, so every option is known.
void NativeNames(int argc, char* argv[], const QList<QCommandLineOption>& options, RenderArguments& arguments)
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

// The value a word names, from a table of the known words.
template <typename Value>
std::optional<Value> ValueOf(const QString& word, std::initializer_list<std::pair<const char*, Value>> known)
{
    for (const auto& [name, value] : known) {
        if (word == QLatin1StringView(name))
            return value;
    }
    return std::nullopt;
}

}

RenderOptions::RenderOptions()
    : help({ "h", "help" }, QStringLiteral("Shows this help."))
    , version(QStringLiteral("version"), QStringLiteral("Shows the version."))
    , mode(QStringLiteral("mode"),
          QStringLiteral("preview: as the editor's preview draws it; boot: as the boot loader does; vm: the real "
                         "loader, booted in QEMU (the whole screen, firmware lines included, unless --clear)."),
          QStringLiteral("preview|boot|vm"), QStringLiteral("preview"))
    , format(QStringLiteral("format"),
          QStringLiteral("json, ansi (24-bit colour text for terminals), png (720 x 400; never to a terminal), serial "
                         "(boot and vm modes: the text the loader sends to its serial port), ans (the loader's screen "
                         "as classic ANSI art with a SAUCE record) or msg (the loader's screen as a canonical display "
                         "file; cells it cannot hold are named, exit status 1)."),
          QStringLiteral("json|ansi|png|serial|ans|msg"), QStringLiteral("json"))
    , prompt(QStringLiteral("prompt"), QStringLiteral("Draws the loader's boot: prompt after the file."))
    , blink(QStringLiteral("blink"),
          QStringLiteral("Backgrounds 8-f: blinking text on the dark background (on) or bright (bright)."),
          QStringLiteral("on|bright"), QStringLiteral("on"))
    , font(QStringLiteral("font"), QStringLiteral("The VGA font's 9-dot or 8-dot cells."), QStringLiteral("vga9|vga8"),
          QStringLiteral("vga9"))
    , output(QStringLiteral("output"), QStringLiteral("Writes to FILE."), QStringLiteral("FILE"))
    , outputDir(QStringLiteral("output-dir"),
          QStringLiteral("Writes DIR/NAME.EXT for each file (EXT json, ans, png, msg or txt)."), QStringLiteral("DIR"))
    , check(QStringLiteral("check"),
          QStringLiteral("Reports the files' problems, one per line (or with --format json, a JSON array); a boot "
                         "configuration is checked with every file it names. Exit status 1 when there is an error "
                         "or a warning."))
    , clear(QStringLiteral("clear"), QStringLiteral("Puts one 0x0C in front of each file."))
    , timeout(QStringLiteral("timeout"), QStringLiteral("vm mode: gives up after this many seconds."),
          QStringLiteral("SECONDS"), QStringLiteral("30"))
    , config(QStringLiteral("config"),
          QStringLiteral("Plays the boot configuration FILE (isolinux.cfg ...) as the loader does, in boot mode."),
          QStringLiteral("FILE"))
    , keys(QStringLiteral("keys"),
          QStringLiteral("With --config: keys pressed at the loader, space-separated: QEMU key names (f1, ret, tab, "
                         "ctrl-u ...), \"typed text\", sleep:MS, timeout."),
          QStringLiteral("KEYS"))
    , input(QStringLiteral("input"),
          QStringLiteral("What the files are: display files (display) or ANSI art (ans: .ans or .asc, SAUCE read), "
                         "drawn as its canonical display file; what does not come across is named, exit status 1."),
          QStringLiteral("display|ans"), QStringLiteral("display"))
    , start(QStringLiteral("start"),
          QStringLiteral("With --config: the screen the loader starts on, the firmware's and banner's (banner) or "
                         "an empty one (blank)."),
          QStringLiteral("banner|blank"), QStringLiteral("banner"))
{
}

QList<QCommandLineOption> RenderOptions::All() const
{
    return { help, version, mode, format, input, prompt, blink, font, output, outputDir, check, clear, timeout, config,
        keys, start };
}

ParsedLine ParseRenderLine(int argc, char* argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders SYSLINUX display files without a display."));
    const RenderOptions table;
    const auto& [help, version, mode, format, prompt, blink, font, output, outputDir, check, clear, timeout, config,
        keys, input, start]
        = table;
    const QList<QCommandLineOption> options = table.All();
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
        std::fputs(parser.isSet(help) ? qPrintable(helpText) : VersionText, stdout);
        line.exitStatus = 0;
        return line;
    }
    RenderArguments& arguments = line.arguments;
    arguments.prompt = parser.isSet(prompt);
    arguments.check = parser.isSet(check);
    arguments.clear = parser.isSet(clear);
    bool timeoutRead = false;
    arguments.timeoutSeconds = parser.value(timeout).toInt(&timeoutRead);
    NativeNames(argc, argv, options, arguments);
    arguments.keys = parser.value(keys);
    using Mode = RenderArguments::Mode;
    using Format = RenderArguments::Format;
    const std::optional<Mode> modeValue = ValueOf<Mode>(
        parser.value(mode), { { "preview", Mode::Preview }, { "boot", Mode::Boot }, { "vm", Mode::Vm } });
    const std::optional<Format> formatValue
        = ValueOf<Format>(arguments.check && !parser.isSet(format) ? QStringLiteral("text") : parser.value(format),
            { { "json", Format::Json }, { "ansi", Format::Ansi }, { "png", Format::Png }, { "serial", Format::Serial },
                { "text", Format::Text }, { "ans", Format::Ans }, { "msg", Format::Msg } });
    const std::optional<RenderArguments::Input> inputValue = ValueOf<RenderArguments::Input>(parser.value(input),
        { { "display", RenderArguments::Input::DisplayFile }, { "ans", RenderArguments::Input::AnsiArt } });
    const std::optional<bool> blinkValue = ValueOf<bool>(parser.value(blink), { { "on", true }, { "bright", false } });
    const std::optional<VgaDots> fontValue
        = ValueOf<VgaDots>(parser.value(font), { { "vga9", VgaDots::Nine }, { "vga8", VgaDots::Eight } });
    const std::optional<RenderArguments::Start> startValue = ValueOf<RenderArguments::Start>(parser.value(start),
        { { "banner", RenderArguments::Start::Banner }, { "blank", RenderArguments::Start::Blank } });
    arguments.mode = modeValue.value_or(Mode::Preview);
    arguments.format = formatValue.value_or(Format::Json);
    arguments.input = inputValue.value_or(RenderArguments::Input::DisplayFile);
    arguments.blink = blinkValue.value_or(true);
    arguments.dots = fontValue.value_or(VgaDots::Nine);
    arguments.start = startValue.value_or(RenderArguments::Start::Banner);
    const bool playing = arguments.Playing();
    const auto unknown = [&](const QCommandLineOption& option, const char* known) {
        return QStringLiteral("unknown %1 '%2' (%3)")
            .arg(option.names().constLast(), parser.value(option), QString::fromLatin1(known));
    };
    const auto keysBroken = [&] {
        QString keyError;
        return playing && !ParseLoaderKeys(arguments.keys, keyError) ? std::optional(keyError) : std::nullopt;
    };
    // Each row: when the words are wrong, and what to say. The first wrong row is told.
    const std::pair<bool, QString> rules[] = {
        { !modeValue, unknown(mode, "preview|boot|vm") },
        { !timeoutRead || arguments.timeoutSeconds <= 0,
            QStringLiteral("--timeout takes a number of seconds above 0") },
        { arguments.Vm() && parser.isSet(blink),
            QStringLiteral("--blink has no meaning in vm mode: QEMU's picture shows backgrounds 8-f bright") },
        { !formatValue || (!arguments.check && arguments.format == Format::Text),
            unknown(format, "json|ansi|png|serial|ans|msg") },
        { !inputValue, unknown(input, "display|ans") },
        { arguments.Drawing() && parser.isSet(mode) && arguments.mode != Mode::Boot,
            QStringLiteral("--format %1 writes the boot loader's screen: only --mode boot goes with it")
                .arg(parser.value(format)) },
        { arguments.input == RenderArguments::Input::AnsiArt && (playing || arguments.check),
            QStringLiteral("--input ans renders art: no --config or --check with it") },
        { !blinkValue, unknown(blink, "on|bright") },
        { !fontValue, unknown(font, "vga9|vga8") },
        { arguments.check && arguments.format != Format::Json && arguments.format != Format::Text && formatValue,
            QStringLiteral("--check writes text or --format json") },
        { arguments.format == Format::Serial && !arguments.Boot() && !arguments.Vm(),
            QStringLiteral("--format serial needs --mode boot or vm") },
        { !playing && (parser.isSet(keys) || parser.isSet(start)),
            QStringLiteral("--keys and --start play a configuration: give --config FILE") },
        { playing && arguments.mode == Mode::Vm && parser.isSet(start),
            QStringLiteral("--start has no meaning in vm mode: the real firmware and loader draw the start") },
        { playing && parser.isSet(mode) && arguments.mode == Mode::Preview,
            QStringLiteral("--config plays the loader: --mode preview has no meaning") },
        { playing && (arguments.check || !arguments.inputs.isEmpty() || !arguments.outputDir.isEmpty()),
            QStringLiteral("--config renders one screen: no FILE, --check or --output-dir with it") },
        { !startValue, unknown(start, "banner|blank") },
        { keysBroken().has_value(), keysBroken().value_or(QString()) },
        { arguments.inputs.isEmpty() && !playing, QStringLiteral("no file to render") },
        { !arguments.output.isEmpty() && !arguments.outputDir.isEmpty(),
            QStringLiteral("--output and --output-dir exclude each other") },
        { arguments.inputs.size() > 1 && arguments.outputDir.isEmpty() && !arguments.check,
            QStringLiteral("several files need --output-dir") },
        { arguments.format == Format::Png && arguments.output.isEmpty() && arguments.outputDir.isEmpty()
                && ::isatty(STDOUT_FILENO),
            QStringLiteral("a PNG is not for a terminal: give --output FILE or redirect the output") },
    };
    for (const auto& [broken, message] : rules) {
        if (broken) {
            line.exitStatus = UsageError(message, helpText);
            break;
        }
    }
    return line;
}
