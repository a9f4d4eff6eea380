#pragma once

#include "console/TextMetrics.h"

#include <QByteArrayList>
#include <QCommandLineOption>
#include <QString>

#include <optional>

// glimra-render's command line, read into values: what to render, how, and
// where to. Every check of the words is one row of a table.
struct RenderArguments {
    enum class Mode { Preview, Boot, Vm };
    enum class Format { Json, Ansi, Png, Serial, Text, Ans, Msg };
    enum class Input { DisplayFile, AnsiArt };
    enum class Start { Banner, Blank };
    enum class Export { None, Iso, Usb, Pxe, Grub };
    enum class Firmware { Bios, Uefi };

    Mode mode = Mode::Preview;
    Format format = Format::Json; // Text: --check's lines
    Input input = Input::DisplayFile;
    bool blink = true; // backgrounds 8-f blink (on) or show bright
    VgaDots dots = VgaDots::Nine;
    bool prompt = false;
    bool check = false; // report problems instead of rendering
    bool clear = false; // one 0x0C in front of each file
    int timeoutSeconds = 30; // for the virtual machine
    // A whole configuration played by the loader's simulator instead of files.
    QByteArray config;
    QString keys;
    Start start = Start::Banner;
    // File names as the system gave them: any bytes, "-" for standard input.
    QByteArray output;
    QByteArrayList inputs;
    QByteArray outputDir;
    // Boot media made of --config's tree, to --output.
    Export exportKind = Export::None;
    QByteArray label; // the volume's; empty for the default
    bool hybrid = true;
    bool biosOnly = false; // the media without their UEFI side
    // The machine's: SeaBIOS and ISOLINUX, or OVMF and GRUB's copy of the menu.
    Firmware firmware = Firmware::Bios;

    bool Exporting() const { return exportKind != Export::None; }
    bool Playing() const { return !config.isEmpty(); }
    // The loader's screen as a drawing: ANSI art or a canonical display file.
    bool Drawing() const { return format == Format::Ans || format == Format::Msg; }
    bool Boot() const { return mode == Mode::Boot || Playing() || Drawing(); }
    bool Vm() const { return mode == Mode::Vm; }
    bool Uefi() const { return firmware == Firmware::Uefi; }
    // Blinking shows only in boot mode; the preview shows digits 8-f bright.
    bool Blinks() const { return Boot() && blink; }
};

// The options, in the order that --help and the manual page list them.
struct RenderOptions {
    RenderOptions();
    QList<QCommandLineOption> All() const;

    QCommandLineOption help, version, mode, format, prompt, blink, font, output, outputDir, check, clear, timeout,
        config, keys, input, start, exportMedia, label, noHybrid, biosOnly, firmware;
};

// The words as read: the values, or what ends the program here.
struct ReadLine {
    RenderArguments arguments;
    bool help = false;
    bool version = false;
    std::optional<QString> mistake; // the first wrong word, as told
    QString helpText;
};
ReadLine ReadRenderLine(int argc, char* argv[]);

// The version line, and for a build without the VGA glyph table how it paints PNGs.
const char* RenderVersionText();

struct ParsedLine {
    RenderArguments arguments;
    int exitStatus = -1; // set when the program ends here
};

// Reads the words; help, version and mistakes end the program here (the
// message and help on standard error, exit status 2).
ParsedLine ParseRenderLine(int argc, char* argv[]);
