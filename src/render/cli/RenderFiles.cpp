#include "RenderFiles.h"

#include "RenderInput.h"
#include "RenderOutput.h"
#include "RenderVm.h"
#include "boot/BootRendering.h"
#include "common/FileAccess.h"
#include "console/ConsoleSinks.h"
#include "format/DisplayFile.h"
#include "preview/Rendering.h"
#include "preview/ScreenSnapshot.h"
#include "render/ScreenPng.h"
#include "screen/AnsiArt.h"
#include "screen/BootScreen.h"
#include "screen/ScreenEncoder.h"

#include <algorithm>

namespace {

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
    const BlinkPhase blink = arguments.Blinks() ? BlinkPhase::Shown : BlinkPhase::Bright;
    if (arguments.format == RenderArguments::Format::Png)
        return ConsolePng(console, blink, arguments.dots);
    const ScreenSnapshot screen = ScreenSnapshot::Of(console);
    if (arguments.format == RenderArguments::Format::Ans)
        return WriteAnsiArt(ScreenOf(screen));
    return ScreenText(arguments, screen, arguments.Boot());
}

// The bytes to render: ANSI art as its canonical display file, a 0x0C in
// front with --clear, the loader's screen as canonical bytes for msg; what
// did not come across in losses.
QByteArray Prepared(const RenderArguments& arguments, QByteArray bytes, QStringList& losses)
{
    if (arguments.input == RenderArguments::Input::AnsiArt) {
        ImportedArt art = ImportAnsiArt(ReadAnsiArt(bytes));
        bytes = art.bytes;
        losses = art.losses;
    }
    if (arguments.clear)
        bytes.prepend('\x0c');
    if (arguments.format == RenderArguments::Format::Msg) {
        const Screen screen = BootScreenOf(bytes).screen;
        const Encoding encoding = EncodeScreen(screen);
        if (!encoding.left.empty() && arguments.input != RenderArguments::Input::AnsiArt)
            losses << DescribeLeftCells(screen, encoding.left);
        bytes = encoding.bytes;
    }
    return bytes;
}

}

int RenderOne(const RenderArguments& arguments, const QByteArray& input)
{
    QString error;
    const std::optional<QByteArray> read = ReadInput(input, error);
    if (!read)
        return Fail(error);
    QStringList losses;
    const QByteArray bytes = Prepared(arguments, *read, losses);
    const QString name = input == "-" ? QStringLiteral("standard input") : ShownName(input);
    for (const QString& loss : std::as_const(losses))
        Tell(QStringLiteral("%1: %2").arg(name, loss));
    const int lost = losses.isEmpty() ? 0 : 1;
    const QByteArray destination = Destination(arguments, input);
    if (arguments.format == RenderArguments::Format::Msg)
        return std::max(Write(destination, bytes), lost);
    if (arguments.Vm())
        return InVm([&] { return std::max(Write(destination, RenderInVm(arguments, bytes, FolderOf(input))), lost); });
    const QByteArray result = arguments.format == RenderArguments::Format::Png
        ? Render<PngMeasurer>(arguments, bytes)
        : Render<FixedCellMeasurer>(arguments, bytes);
    return std::max(Write(destination, result), lost);
}
