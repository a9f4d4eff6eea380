#include "editor/window/ProgramIcon.h"

#include "console/qt/QtGeometry.h"
#include "format/Palette.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap Screen(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    // The monitor's bezel and the black screen inside it.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x50, 0x50, 0x58));
    painter.drawRoundedRect(QRectF(0, unit, size, size - 2 * unit), 2 * unit, 2 * unit);
    painter.setBrush(Qt::black);
    const QRectF screen(unit, 2 * unit, size - 2 * unit, size - 4 * unit);
    painter.drawRect(screen);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // A blue title bar with yellow text, then grey lines of text.
    painter.fillRect(QRectF(screen.left(), screen.top(), screen.width(), 3 * unit), PaletteColour(1));
    painter.fillRect(QRectF(screen.left() + 3 * unit, screen.top() + unit, 8 * unit, unit), PaletteColour(14));
    const int lineColours[] = { 7, 10, 7, 11 };
    for (int line = 0; line < 4; ++line) {
        const qreal top = screen.top() + (4.5 + 2 * line) * unit;
        const qreal width = (line % 2 ? 7 : 10) * unit;
        painter.fillRect(QRectF(screen.left() + unit, top, width, unit), PaletteColour(lineColours[line]));
    }
    return pixmap;
}

}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : { 16, 32, 48, 64, 128 })
        icon.addPixmap(Screen(size));
    return icon;
}
