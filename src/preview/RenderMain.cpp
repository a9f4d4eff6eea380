// glimra-render: renders a display file as the preview shows it, or as the
// boot loader does, without a display, as JSON, ANSI colour text, a PNG
// image or the loader's serial text.
#include "PreviewConsole.h"
#include "Rendering.h"
#include "ScreenImage.h"
#include "ScreenSnapshot.h"
#include "boot/BootRendering.h"
#include "common/FileSaving.h"
#include "console/ColorConsole.h"
#include "console/ConsoleSinks.h"
#include "console/qt/QtFonts.h"
#include "format/DisplayFile.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace {

const char* const Usage
    = "usage: glimra-render [--mode preview|boot] [--format json|ansi|png|serial] [--prompt] [--blink on|bright]\n"
      "                     [--font vga9|vga8] [--output FILE] FILE   (FILE - reads standard input;\n"
      "                     serial needs --mode boot; vga8 draws 8-dot cells)\n";

// No display file comes near this; an endless input stops here.
constexpr qint64 InputLimit = qint64(64) << 20;

struct Arguments {
    QString mode = QStringLiteral("preview");
    QString format = QStringLiteral("json");
    QString blink = QStringLiteral("on");
    QString font = QStringLiteral("vga9");
    bool prompt = false;
    QString output;
    QString input;

    bool Boot() const { return mode == u"boot"; }
};

bool OneOf(const QString& word, std::initializer_list<const char16_t*> words)
{
    return std::any_of(words.begin(), words.end(), [&](const char16_t* known) { return word == known; });
}

// The option's value, or nothing when the word is not that option or has no value.
QString* ValueOf(Arguments& arguments, const QString& word)
{
    if (word == u"--mode")
        return &arguments.mode;
    if (word == u"--format")
        return &arguments.format;
    if (word == u"--blink")
        return &arguments.blink;
    if (word == u"--font")
        return &arguments.font;
    if (word == u"--output")
        return &arguments.output;
    return nullptr;
}

std::optional<Arguments> Parse(const QStringList& words)
{
    Arguments arguments;
    bool haveInput = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words[i];
        if (QString* value = ValueOf(arguments, word); value && i + 1 < words.size()) {
            *value = words[++i];
        } else if (word == u"--prompt") {
            arguments.prompt = true;
        } else if ((word.startsWith(u"--") && word != u"-") || haveInput) {
            return std::nullopt;
        } else {
            arguments.input = word;
            haveInput = true;
        }
    }
    const bool known = OneOf(arguments.mode, { u"preview", u"boot" })
        && OneOf(arguments.format, { u"json", u"ansi", u"png", u"serial" })
        && OneOf(arguments.blink, { u"on", u"bright" }) && OneOf(arguments.font, { u"vga9", u"vga8" });
    if (!haveInput || !known || (arguments.format == u"serial" && !arguments.Boot()))
        return std::nullopt;
    return arguments;
}

int Fail(const QString& message)
{
    std::fprintf(stderr, "glimra-render: %s\n", qPrintable(message));
    return 1;
}

}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const std::optional<Arguments> arguments = Parse(QCoreApplication::arguments());
    if (!arguments) {
        std::fputs(Usage, stderr);
        return 2;
    }

    QFile input(arguments->input);
    const bool opened
        = arguments->input == u"-" ? input.open(stdin, QIODevice::ReadOnly) : input.open(QIODevice::ReadOnly);
    if (!opened)
        return Fail(QStringLiteral("cannot open %1: %2").arg(arguments->input, input.errorString()));
    const std::optional<QByteArray> bytes = ReadAtMost(input, InputLimit);
    if (!bytes)
        return Fail(QStringLiteral("%1 holds more than %2 MiB, the most glimra-render reads")
                        .arg(arguments->input)
                        .arg(InputLimit >> 20));
    if (input.error() != QFileDevice::NoError)
        return Fail(QStringLiteral("cannot read %1: %2").arg(arguments->input, input.errorString()));
    const VgaDots dots = arguments->font == u"vga8" ? VgaDots::Eight : VgaDots::Nine;
    QtFontMeasurer measurer(dots);
    TColorConsole console(measurer);
    LoadPreviewConsole(console);
    SetPreviewFont(console.Font());
    QByteArray serial;
    if (arguments->Boot()) {
        serial = RenderBootScreen(console, *bytes, { .prompt = arguments->prompt });
    } else {
        ConsoleSink sink(console);
        RenderDisplayFile(console, DisplayFile::NormaliseLineBreaks(*bytes), sink);
    }

    // Blinking shows only in boot mode; the preview shows digits 8-f bright.
    const bool blink = arguments->Boot() && arguments->blink == u"on";
    QByteArray result;
    if (arguments->format == u"serial") {
        result = serial;
    } else if (arguments->format == u"png") {
        QBuffer buffer(&result);
        buffer.open(QIODevice::WriteOnly);
        PaintScreen(console, blink ? BlinkPhase::Shown : BlinkPhase::Bright, dots).save(&buffer, "PNG");
    } else {
        const ScreenSnapshot screen = ScreenSnapshot::Of(console);
        result = arguments->format == u"ansi" ? screen.ToAnsi(blink) : screen.ToJson(arguments->Boot());
    }

    if (arguments->output.isEmpty()) {
        std::cout.write(result.constData(), result.size()).flush();
        return std::cout ? 0 : Fail(QStringLiteral("cannot write the output"));
    }
    if (const std::optional<SaveFailure> failure = SaveBytes(arguments->output, result))
        return Fail(QStringLiteral("cannot write %1: %2").arg(arguments->output, failure->reason));
    return 0;
}
