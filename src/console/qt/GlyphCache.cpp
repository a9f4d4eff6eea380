#include "GlyphCache.h"

#include "format/Cp437.h"

#include <QGlyphRun>
#include <QPainter>

GlyphCache::Font::Font(const TFont& font)
    : m_font(PlatformFont(font))
    , m_raw(QRawFont::fromFont(m_font))
{
    for (int byte = 1; byte < 256; ++byte) {
        const QList<quint32> index
            = m_raw.glyphIndexesForString(QString(QChar(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)))));
        m_index[byte] = index.isEmpty() ? 0 : index.front();
    }
}

const QImage& GlyphCache::Font::Mask(std::uint8_t byte, const QRect& geometry)
{
    if (geometry != m_geometry) {
        m_masks.fill(QImage());
        m_geometry = geometry;
    }
    QImage& mask = m_masks[byte];
    if (mask.isNull())
        mask = Render(byte);
    return mask;
}

// White ink on black; its grey level is the coverage.
QImage GlyphCache::Font::Render(std::uint8_t byte) const
{
    QImage image(m_geometry.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (byte != 0 && byte != ' ') {
        QPainter painter(&image);
        painter.setPen(Qt::white);
        const QPointF origin = m_geometry.topLeft();
        if (m_index[byte] != 0) {
            QGlyphRun glyph;
            glyph.setRawFont(m_raw);
            glyph.setGlyphIndexes({ m_index[byte] });
            glyph.setPositions({ origin });
            glyph.setUnderline(m_font.underline());
            glyph.setStrikeOut(m_font.strikeOut());
            painter.drawGlyphRun(QPointF(0, 0), glyph);
        } else {
            painter.setFont(m_font);
            painter.drawText(origin, QString(QChar(Cp437::ToUnicode(byte))));
        }
    }
    return image.convertToFormat(QImage::Format_Grayscale8);
}

GlyphCache::Font& GlyphCache::For(const TFont& font)
{
    std::shared_ptr<Font>& slot = m_fonts[font.Handle()];
    if (!slot)
        slot = std::make_shared<Font>(font);
    return *slot;
}
