// Writes the VGA glyph table as C++ source. Each glyph is painted by the
// preview's own painting (the same face, size and settings) and read back
// as dots, so a picture composed from the table is the painted one. Fails
// unless the VGA face is installed and every dot is ink or paper.
#include "console/qt/QtFonts.h"
#include "format/Palette.h"
#include "preview/PreviewConsole.h"
#include "preview/ScreenImage.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

namespace {

constexpr int PerRow = 64;

// The 256 glyphs' rows, or an empty list with a reason.
std::vector<std::uint16_t> GlyphRows(VgaDots dots, QString& error)
{
    PreviewScreen<QtFontMeasurer> preview(dots);
    TColorConsole& console = preview.console;
    console.RemeasureFont();
    const int width = dots == VgaDots::Nine ? 9 : 8;
    if (console.CellSize().x != width || console.CellSize().y != 16) {
        error = QStringLiteral("the cells are %1 x %2, not %3 x 16")
                    .arg(console.CellSize().x)
                    .arg(console.CellSize().y)
                    .arg(width);
        return {};
    }
    const QRgb ink = qRgb(255, 255, 255);
    console.Font().SetColor(Palette[15]);
    console.Font().SetBkColor(Palette[0]);
    for (int byte = 0; byte < 256; ++byte) {
        console.SetCursor({ byte % PerRow, byte / PerRow });
        console.WriteGlyphs(std::string(1, static_cast<char>(byte)));
    }
    const QImage image = PaintScreen(console, BlinkPhase::Bright, dots);
    std::vector<std::uint16_t> rows;
    for (int byte = 0; byte < 256; ++byte) {
        for (int y = 0; y < 16; ++y) {
            std::uint16_t dotsOfRow = 0;
            for (int x = 0; x < width; ++x) {
                const QRgb pixel = image.pixel(byte % PerRow * width + x, byte / PerRow * 16 + y) & 0xFFFFFF;
                if (pixel != (ink & 0xFFFFFF) && pixel != 0) {
                    error = QStringLiteral("glyph %1 has a dot that is neither ink nor paper").arg(byte);
                    return {};
                }
                dotsOfRow = static_cast<std::uint16_t>(dotsOfRow << 1 | (pixel != 0 ? 1 : 0));
            }
            rows.push_back(dotsOfRow);
        }
    }
    return rows;
}

QByteArray TableSource(const char* name, const std::vector<std::uint16_t>& rows)
{
    QByteArray source = QByteArray("constexpr std::uint16_t ") + name + "[] = {";
    for (std::size_t i = 0; i < rows.size(); ++i)
        source += (i % 16 == 0 ? "\n    " : " ") + QByteArray::number(rows[i]) + ',';
    return source + "\n};\n\n";
}

}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: glimra-glyph-table OUTPUT.cpp\n", stderr);
        return 2;
    }
    QByteArray source = "// Made by glimra-glyph-table from Debian's fonts-pc (Px IBM VGA9 and VGA8, by VileR,\n"
                        "// CC BY-SA 4.0) as the preview paints them: 16 px, no antialiasing.\n"
                        "#include \"render/GlyphTable.h\"\n\nnamespace {\n\n";
    for (const VgaDots dots : { VgaDots::Nine, VgaDots::Eight }) {
        QString error;
        if (!HasVgaFace(dots))
            error = QStringLiteral("the VGA face is not installed (Debian's fonts-pc)");
        const std::vector<std::uint16_t> rows
            = error.isEmpty() ? GlyphRows(dots, error) : std::vector<std::uint16_t> {};
        if (rows.empty()) {
            std::fprintf(stderr, "glimra-glyph-table: %s\n", qPrintable(error));
            return 1;
        }
        source += TableSource(dots == VgaDots::Nine ? "Nine" : "Eight", rows);
    }
    source += "}\n\nconst VgaGlyphTable* BuiltInGlyphTable(VgaDots dots)\n{\n"
              "    static const VgaGlyphTable nine { 9, Nine, \"Px IBM VGA9\" };\n"
              "    static const VgaGlyphTable eight { 8, Eight, \"Px IBM VGA8\" };\n"
              "    return dots == VgaDots::Nine ? &nine : &eight;\n}\n";
    QFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(source) != source.size() || !out.flush()) {
        std::fprintf(stderr, "glimra-glyph-table: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
