// glimra-render: renders a display file as the preview shows it, without a
// display, as JSON, ANSI colour text or a PNG image.
#include "PreviewConsole.h"
#include "Rendering.h"
#include "ScreenImage.h"
#include "ScreenSnapshot.h"
#include "console/ColorConsole.h"
#include "console/ConsoleSinks.h"
#include "console/qt/QtFonts.h"
#include "format/DisplayFile.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>
#include <iostream>

namespace {

const char* const Usage
    = "usage: glimra-render [--format json|ansi|png] [--output FILE] FILE   (FILE - reads standard input)\n";

struct Arguments {
    QString format = QStringLiteral("json");
    QString output;
    QString input;
};

std::optional<Arguments> Parse(const QStringList& words)
{
    Arguments arguments;
    bool haveInput = false;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words[i];
        if ((word == u"--format" || word == u"--output") && i + 1 < words.size()) {
            (word == u"--format" ? arguments.format : arguments.output) = words[++i];
        } else if ((word.startsWith(u"--") && word != u"-") || haveInput) {
            return std::nullopt;
        } else {
            arguments.input = word;
            haveInput = true;
        }
    }
    const bool knownFormat = arguments.format == u"json" || arguments.format == u"ansi" || arguments.format == u"png";
    if (!haveInput || !knownFormat)
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
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        return Fail(QStringLiteral("cannot read %1: %2").arg(arguments->input, input.errorString()));
    if (const qsizetype nul = DisplayFile::FirstNul(bytes); nul >= 0)
        return Fail(
            QStringLiteral("%1 holds a NUL byte at offset %2; a display file cannot").arg(arguments->input).arg(nul));

    QtFontMeasurer measurer;
    TColorConsole console(measurer);
    LoadPreviewConsole(console);
    SetPreviewFont(console.Font());
    ConsoleSink sink(console);
    RenderDisplayFile(console, DisplayFile::NormaliseLineBreaks(bytes), sink);

    QByteArray result;
    if (arguments->format == u"png") {
        QBuffer buffer(&result);
        buffer.open(QIODevice::WriteOnly);
        PaintScreen(console).save(&buffer, "PNG");
    } else {
        const ScreenSnapshot screen = ScreenSnapshot::Of(console);
        result = arguments->format == u"ansi" ? screen.ToAnsi() : screen.ToJson();
    }

    if (arguments->output.isEmpty()) {
        std::cout.write(result.constData(), result.size()).flush();
        return std::cout ? 0 : Fail(QStringLiteral("cannot write the output"));
    }
    QSaveFile output(arguments->output);
    if (!output.open(QIODevice::WriteOnly) || output.write(result) != result.size() || !output.commit())
        return Fail(QStringLiteral("cannot write %1: %2").arg(arguments->output, output.errorString()));
    return 0;
}
