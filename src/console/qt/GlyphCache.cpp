#include "GlyphCache.h"

#include "format/Cp437.h"

#include <QGlyphRun>
#include <QPainter>

GlyphCache::Font::Font(const TFont& font, VgaDots dots)
    : m_font(PlatformFont(font, dots))
    , m_raw(QRawFont::fromFont(m_font))
{
    for (int byte = 1; byte < 256; ++byte) {
        const QList<quint32> index
            = m_raw.glyphIndexesForString(QString(QChar(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)))));
        m_index[byte] = index.isEmpty() ? 0 : index.front();
    }
}

void GlyphCache::Font::SetGeometry(const QRect& geometry)
{
    if (geometry == m_geometry)
        return;
    m_masks.fill(QImage());
    m_colours.clear();
    ++m_generation;
    m_geometry = geometry;
}

const QImage& GlyphCache::Font::Mask(std::uint8_t byte, const QRect& geometry)
{
    SetGeometry(geometry);
    QImage& mask = m_masks[byte];
    if (mask.isNull())
        mask = Render(byte);
    return mask;
}

GlyphCache::Font::Cells& GlyphCache::Font::CellsIn(const QRect& geometry, QRgb ink, QRgb paper)
{
    SetGeometry(geometry);
    const quint64 key = quint64(ink & 0xFFFFFF) << 24 | (paper & 0xFFFFFF);
    if (auto found = m_colours.find(key); found != m_colours.end())
        return found->second;
    // Enough for every pair of the 16 colours; more simply starts again.
    if (m_colours.size() >= 256) {
        m_colours.clear();
        ++m_generation;
    }
    return m_colours[key];
}

const QImage& GlyphCache::Font::Cell(Cells& cells, std::uint8_t byte, QRgb ink, QRgb paper)
{
    QImage& cell = cells[byte];
    if (!cell.isNull())
        return cell;
    const QImage& mask = Mask(byte, m_geometry);
    auto mix = [](int from, int to, int level) { return (from * (255 - level) + to * level + 127) / 255; };
    cell = QImage(mask.size(), QImage::Format_RGB32);
    for (int y = 0; y < mask.height(); ++y) {
        const uchar* levels = mask.constScanLine(y);
        auto* pixels = reinterpret_cast<QRgb*>(cell.scanLine(y));
        for (int x = 0; x < mask.width(); ++x) {
            pixels[x] = qRgb(mix(qRed(paper), qRed(ink), levels[x]), mix(qGreen(paper), qGreen(ink), levels[x]),
                mix(qBlue(paper), qBlue(ink), levels[x]));
        }
    }
    return cell;
}

// White ink on black; its grey level is the coverage.
QImage GlyphCache::Font::Render(std::uint8_t byte) const
{
    QImage image(m_geometry.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    if (byte != 0 && byte != ' ') {
        QPainter painter(&image);
        painter.setPen(Qt::white);
        painter.setRenderHint(QPainter::TextAntialiasing, !(m_font.styleStrategy() & QFont::NoAntialias));
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
        slot = std::make_shared<Font>(font, m_dots);
    return *slot;
}
