// Feeds arbitrary bytes through the boot loader's rendering, and through
// opening and the preview rendering, and checks what must always hold: a
// CR LF-only line breaks after opening, the cursor inside the
// grid, and every cell naming a live attribute whose count equals its cells.
#include "ConsoleInvariants.h"
#include "FakeMeasurer.h"
#include "FuzzChecks.h"
#include "boot/BootRendering.h"
#include "console/ConsoleSinks.h"
#include "format/DisplayFile.h"
#include "preview/PreviewConsole.h"
#include "preview/Rendering.h"

namespace {

void RequireSoundScreen(const TColorConsole& console)
{
    const CellPair cursor = console.Cursor();
    Require(cursor.x >= 0 && cursor.x < console.Cols() && cursor.y >= 0 && cursor.y < console.Rows(),
        "cursor outside the grid");
    const std::string violation = AttributeInvariantViolation(console);
    if (!violation.empty())
        Require(false, violation.c_str());
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TColorConsole* console = &(new PreviewScreen<FakeMeasurer>)->console;

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    RenderBootScreen(*console, bytes, { .prompt = size % 2 == 0 });
    RequireSoundScreen(*console);
    const QByteArray text = DisplayFile::NormaliseLineBreaks(bytes);
    Require(OnlyCrLfBreaks(text), "a lone CR or LF after loading");
    ConsoleSink sink(*console);
    RenderDisplayFile(*console, text, sink);
    RequireSoundScreen(*console);
    return 0;
}
