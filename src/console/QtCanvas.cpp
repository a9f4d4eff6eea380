#include "QtCanvas.h"

#include "QtFonts.h"
#include "format/Cp437.h"

#include <QGlyphRun>
#include <QPainter>

#include <memory>

namespace {

QRect ToQRect(const PixelRect& rect) { return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top); }

// Enough for every glyph in a few dozen colour pairs; a display file rarely
// uses more, and a full cache simply starts again.
constexpr qsizetype MostCellImages = 8192;

}

QtCanvas::QtCanvas(QPainter& painter, const QRect& clip, const QPalette& palette)
    : m_painter(painter)
    , m_clip(clip)
    , m_palette(palette)
{
}

void QtCanvas::SetOrigin(int x, int y)
{
    m_painter.translate(m_originX - x, m_originY - y);
    m_originX = x;
    m_originY = y;
}

PixelRect QtCanvas::ClipBox() const
{
    return { m_clip.left() + m_originX, m_clip.top() + m_originY, m_clip.right() + 1 + m_originX,
        m_clip.bottom() + 1 + m_originY };
}

void QtCanvas::FillRect(const PixelRect& rect, TColor colour)
{
    if (!rect.IsEmpty())
        m_painter.fillRect(ToQRect(rect), ResolveColour(colour, m_palette));
}

QtCanvas::GlyphSet& QtCanvas::GlyphsFor(const TFont& font)
{
    static QHash<QString, std::shared_ptr<GlyphSet>> cache;
    const FontDescription& handle = font.Handle();
    const QString key = QStringLiteral("%1|%2|%3").arg(handle.name).arg(handle.height).arg(handle.style.toInt());
    auto& slot = cache[key];
    if (!slot) {
        slot = std::make_shared<GlyphSet>();
        slot->font = PlatformFont(font);
        slot->raw = QRawFont::fromFont(slot->font);
        for (int byte = 1; byte < 256; ++byte) {
            const QList<quint32> index
                = slot->raw.glyphIndexesForString(QString(QChar(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)))));
            slot->index[byte] = index.isEmpty() ? 0 : index.front();
        }
    }
    return *slot;
}

void QtCanvas::SelectFont(const TFont& font)
{
    if (m_glyphs && font.Handle() == m_selected)
        return;
    m_glyphs = &GlyphsFor(font);
    m_selected = font.Handle();
}

void QtCanvas::SetTextColours(TColor foreground, TColor background)
{
    m_foreground = ResolveColour(foreground, m_palette);
    m_background = ResolveColour(background, m_palette);
}

const QImage& QtCanvas::CellImage(std::uint8_t byte, const QRect& geometry)
{
    if (m_glyphs->cellGeometry != geometry || m_glyphs->cells.size() >= MostCellImages) {
        m_glyphs->cells.clear();
        m_glyphs->cellGeometry = geometry;
    }
    const quint64 key = quint64(byte) | quint64(m_foreground.rgb() & 0xFFFFFF) << 8
        | quint64(m_background.rgb() & 0xFFFFFF) << 32;
    auto found = m_glyphs->cells.find(key);
    if (found != m_glyphs->cells.end())
        return *found;

    QImage image(geometry.size(), QImage::Format_RGB32);
    image.fill(m_background);
    QPainter painter(&image);
    painter.setPen(m_foreground);
    const QPointF origin = geometry.topLeft();
    if (m_glyphs->index[byte] != 0) {
        QGlyphRun glyph;
        glyph.setRawFont(m_glyphs->raw);
        glyph.setGlyphIndexes({ m_glyphs->index[byte] });
        glyph.setPositions({ origin });
        glyph.setUnderline(m_glyphs->font.underline());
        glyph.setStrikeOut(m_glyphs->font.strikeOut());
        painter.drawGlyphRun(QPointF(0, 0), glyph);
    } else {
        painter.setFont(m_glyphs->font);
        painter.drawText(origin, QString(QChar(Cp437::ToUnicode(byte))));
    }
    painter.end();
    return *m_glyphs->cells.insert(key, image);
}

void QtCanvas::DrawRun(int x, int baseline, QByteArrayView cells, int advance, const PixelRect& box)
{
    m_painter.fillRect(ToQRect(box), m_background);
    if (!m_glyphs || advance <= 0)
        return;
    const QRect geometry(x - box.left, baseline - box.top, advance, box.bottom - box.top);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(cells[i]);
        if (byte != ' ')
            m_painter.drawImage(QPoint(box.left + static_cast<int>(i) * advance, box.top), CellImage(byte, geometry));
    }
}
