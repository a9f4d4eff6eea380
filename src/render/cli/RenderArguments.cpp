#include "RenderArguments.h"

#include "keys/KeyWords.h"

#include <QCommandLineParser>

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

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

// The values of the options that take words, each from its table of the
// known words; none where the word is not known.
struct Values {
    std::optional<RenderArguments::Mode> mode;
    std::optional<RenderArguments::Format> format;
    std::optional<RenderArguments::Input> input;
    std::optional<bool> blink;
    std::optional<VgaDots> font;
    std::optional<RenderArguments::Start> start;
    std::optional<RenderArguments::Export> exportKind;
    std::optional<RenderArguments::Firmware> firmware;
    bool timeout = false; // a number
};

Values ReadValues(const QCommandLineParser& parser, const RenderOptions& options, RenderArguments& arguments)
{
    using Mode = RenderArguments::Mode;
    using Format = RenderArguments::Format;
    using Input = RenderArguments::Input;
    using Start = RenderArguments::Start;
    Values values;
    arguments.prompt = parser.isSet(options.prompt);
    arguments.check = parser.isSet(options.check);
    arguments.clear = parser.isSet(options.clear);
    arguments.timeoutSeconds = parser.value(options.timeout).toInt(&values.timeout);
    arguments.keys = parser.value(options.keys);
    values.mode = ValueOf<Mode>(
        parser.value(options.mode), { { "preview", Mode::Preview }, { "boot", Mode::Boot }, { "vm", Mode::Vm } });
    values.format = ValueOf<Format>(
        arguments.check && !parser.isSet(options.format) ? QStringLiteral("text") : parser.value(options.format),
        { { "json", Format::Json }, { "ansi", Format::Ansi }, { "png", Format::Png }, { "serial", Format::Serial },
            { "text", Format::Text }, { "ans", Format::Ans }, { "msg", Format::Msg } });
    values.input
        = ValueOf<Input>(parser.value(options.input), { { "display", Input::DisplayFile }, { "ans", Input::AnsiArt } });
    values.blink = ValueOf<bool>(parser.value(options.blink), { { "on", true }, { "bright", false } });
    values.font
        = ValueOf<VgaDots>(parser.value(options.font), { { "vga9", VgaDots::Nine }, { "vga8", VgaDots::Eight } });
    values.start
        = ValueOf<Start>(parser.value(options.start), { { "banner", Start::Banner }, { "blank", Start::Blank } });
    arguments.mode = values.mode.value_or(Mode::Preview);
    arguments.format = values.format.value_or(Format::Json);
    arguments.input = values.input.value_or(Input::DisplayFile);
    arguments.blink = values.blink.value_or(true);
    arguments.dots = values.font.value_or(VgaDots::Nine);
    arguments.start = values.start.value_or(Start::Banner);
    using Export = RenderArguments::Export;
    values.exportKind = parser.isSet(options.exportMedia)
        ? ValueOf<Export>(parser.value(options.exportMedia),
            { { "iso", Export::Iso }, { "usb", Export::Usb }, { "pxe", Export::Pxe }, { "grub", Export::Grub } })
        : Export::None;
    arguments.exportKind = values.exportKind.value_or(Export::None);
    arguments.label = parser.value(options.label).toLatin1();
    arguments.hybrid = !parser.isSet(options.noHybrid);
    arguments.biosOnly = parser.isSet(options.biosOnly);
    using Firmware = RenderArguments::Firmware;
    values.firmware
        = ValueOf<Firmware>(parser.value(options.firmware), { { "bios", Firmware::Bios }, { "uefi", Firmware::Uefi } });
    arguments.firmware = values.firmware.value_or(Firmware::Bios);
    return values;
}

// The first wrong row of the table of checks: when the words are wrong, and what to say.
std::optional<QString> FirstMistake(
    const QCommandLineParser& parser, const RenderOptions& o, const Values& v, const RenderArguments& a)
{
    using Mode = RenderArguments::Mode;
    using Format = RenderArguments::Format;
    const bool playing = a.Playing();
    const auto unknown = [&](const QCommandLineOption& option, const char* known) {
        return QStringLiteral("unknown %1 '%2' (%3)")
            .arg(option.names().constLast(), parser.value(option), QString::fromLatin1(known));
    };
    QString keyError;
    const bool keysBroken = playing && !ParseLoaderKeys(a.keys, keyError);
    const bool exporting = a.Exporting();
    const bool uefi = a.firmware == RenderArguments::Firmware::Uefi && !exporting;
    const std::pair<bool, QString> rules[] = {
        { !v.exportKind, unknown(o.exportMedia, "iso|usb|pxe|grub") },
        { a.exportKind == RenderArguments::Export::Grub
                && (parser.isSet(o.label) || parser.isSet(o.noHybrid) || a.biosOnly),
            QStringLiteral("--export grub writes GRUB's folder alone: no --label, --no-hybrid or --bios-only") },
        { exporting && (a.config.isEmpty() || a.output.isEmpty()),
            QStringLiteral(
                "--export makes boot media of a configuration's tree: give --config FILE and --output PATH") },
        { exporting
                && (a.check || a.clear || a.prompt || !a.inputs.isEmpty() || !a.outputDir.isEmpty()
                    || parser.isSet(o.keys) || parser.isSet(o.mode) || parser.isSet(o.format) || parser.isSet(o.start)
                    || parser.isSet(o.timeout) || parser.isSet(o.blink) || parser.isSet(o.font)
                    || parser.isSet(o.firmware)),
            QStringLiteral("--export takes only --config, --output, --label, --no-hybrid and --bios-only") },
        { !exporting && (parser.isSet(o.label) || parser.isSet(o.noHybrid) || a.biosOnly),
            QStringLiteral("--label, --no-hybrid and --bios-only go with --export") },
        { a.exportKind == RenderArguments::Export::Pxe && parser.isSet(o.label),
            QStringLiteral("a PXE folder has no volume label") },
        { exporting && a.exportKind != RenderArguments::Export::Iso && parser.isSet(o.noHybrid),
            QStringLiteral("--no-hybrid goes with --export iso") },
        { !v.mode, unknown(o.mode, "preview|boot|vm") },
        { !v.firmware, unknown(o.firmware, "bios|uefi") },
        { uefi && a.Vm() && v.format && a.format != Format::Png && a.format != Format::Serial,
            QStringLiteral("--firmware uefi shows GRUB's picture: --format png or serial") },
        { !v.timeout || a.timeoutSeconds <= 0, QStringLiteral("--timeout takes a number of seconds above 0") },
        { a.Vm() && parser.isSet(o.blink),
            QStringLiteral("--blink has no meaning in vm mode: QEMU's picture shows backgrounds 8-f bright") },
        { !v.format || (!a.check && a.format == Format::Text), unknown(o.format, "json|ansi|png|serial|ans|msg") },
        { !v.input, unknown(o.input, "display|ans") },
        { a.Drawing() && parser.isSet(o.mode) && a.mode != Mode::Boot,
            QStringLiteral("--format %1 writes the boot loader's screen: only --mode boot goes with it")
                .arg(parser.value(o.format)) },
        { a.input == RenderArguments::Input::AnsiArt && (playing || a.check),
            QStringLiteral("--input ans renders art: no --config or --check with it") },
        { !v.blink, unknown(o.blink, "on|bright") },
        { !v.font, unknown(o.font, "vga9|vga8") },
        { a.check && a.format != Format::Json && a.format != Format::Text && v.format,
            QStringLiteral("--check writes text or --format json") },
        { a.format == Format::Serial && !a.Boot() && !a.Vm(),
            QStringLiteral("--format serial needs --mode boot or vm") },
        { !playing && (parser.isSet(o.keys) || parser.isSet(o.start)),
            QStringLiteral("--keys and --start play a configuration: give --config FILE") },
        { playing && a.mode == Mode::Vm && parser.isSet(o.start),
            QStringLiteral("--start has no meaning in vm mode: the real firmware and loader draw the start") },
        { playing && parser.isSet(o.mode) && a.mode == Mode::Preview,
            QStringLiteral("--config plays the loader: --mode preview has no meaning") },
        { playing && (a.check || !a.inputs.isEmpty() || !a.outputDir.isEmpty()),
            QStringLiteral("--config renders one screen: no FILE, --check or --output-dir with it") },
        { !v.start, unknown(o.start, "banner|blank") },
        { !playing && parser.isSet(o.firmware) && !exporting,
            QStringLiteral("--firmware picks the side of a configuration played: give --config FILE") },
        { a.Uefi() && !a.Vm() && a.format != Format::Png && a.format != Format::Json,
            QStringLiteral("--firmware uefi draws GRUB's screen: --format png or json") },
        { a.Uefi() && !a.Vm() && parser.isSet(o.start),
            QStringLiteral("--start has no meaning with --firmware uefi: GRUB starts on its own screen") },
        { keysBroken, keyError },
        { a.inputs.isEmpty() && !playing, QStringLiteral("no file to render") },
        { !a.output.isEmpty() && !a.outputDir.isEmpty(),
            QStringLiteral("--output and --output-dir exclude each other") },
        { a.inputs.size() > 1 && a.outputDir.isEmpty() && !a.check, QStringLiteral("several files need --output-dir") },
        { a.format == Format::Png && a.output.isEmpty() && a.outputDir.isEmpty() && ::isatty(STDOUT_FILENO),
            QStringLiteral("a PNG is not for a terminal: give --output FILE or redirect the output") },
    };
    for (const auto& [broken, message] : rules) {
        if (broken)
            return message;
    }
    return std::nullopt;
}

}

ReadLine ReadRenderLine(int argc, char* argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders SYSLINUX display files without a display."));
    const RenderOptions options;
    parser.addOptions(options.All());
    parser.addPositionalArgument(QStringLiteral("FILE"),
        QStringLiteral("Display files; - reads standard input; -- ends the options."), "FILE...");
    ReadLine line;
    line.helpText = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("glimra-render"));
    QStringList words;
    for (int i = 0; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(words)) {
        line.mistake = parser.errorText();
        return line;
    }
    line.help = parser.isSet(options.help);
    line.version = parser.isSet(options.version);
    if (line.help || line.version)
        return line;
    const Values values = ReadValues(parser, options, line.arguments);
    NativeNames(argc, argv, options.All(), line.arguments);
    line.mistake = FirstMistake(parser, options, values, line.arguments);
    return line;
}

ParsedLine ParseRenderLine(int argc, char* argv[])
{
    ReadLine read = ReadRenderLine(argc, argv);
    ParsedLine line { std::move(read.arguments), -1 };
    if (read.mistake) {
        std::fprintf(stderr, "glimra-render: %s\n%s", qPrintable(*read.mistake), qPrintable(read.helpText));
        line.exitStatus = 2;
    } else if (read.help || read.version) {
        std::fputs(read.help ? qPrintable(read.helpText) : RenderVersionText(), stdout);
        line.exitStatus = 0;
    }
    return line;
}
