#include "ScreenImage.h"

#include "console/ColorConsole.h"
#include "console/qt/QtCanvas.h"

#include <QBuffer>
#include <QPainter>
#include <QSet>

QImage PaintScreen(TColorConsole& console, BlinkPhase blink, VgaDots dots)
{
    GlyphCache glyphs(dots);
    return PaintScreen(console, glyphs, blink);
}

QImage PaintScreen(TColorConsole& console, GlyphCache& glyphs, BlinkPhase blink)
{
    const CellPair cell = console.CellSize();
    QImage image(console.Cols() * cell.x, console.Rows() * cell.y, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    QtCanvas canvas(painter, image.rect(), QPalette(), glyphs, blink);
    console.PaintGrid(canvas);
    return image;
}

namespace {

bool AtMost256Colours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const auto* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(pixels[x]);
            if (colours.size() > 256)
                return false;
        }
    }
    return true;
}

}

QByteArray ToPng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // With so few colours Qt's conversion keeps every one as it is.
    if (AtMost256Colours(image))
        image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither).save(&buffer, "PNG");
    else
        image.save(&buffer, "PNG");
    return png;
}
