#include "ScreenImage.h"

#include "console/ColorConsole.h"
#include "console/qt/QtCanvas.h"

#include <QPainter>

QImage PaintScreen(TColorConsole& console, BlinkPhase blink, VgaDots dots)
{
    const CellPair cell = console.CellSize();
    QImage image(console.Cols() * cell.x, console.Rows() * cell.y, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    GlyphCache glyphs(dots);
    QtCanvas canvas(painter, image.rect(), QPalette(), glyphs, blink);
    console.PaintGrid(canvas);
    return image;
}
