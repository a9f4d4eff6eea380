#include "QtCanvas.h"

#include "QtGeometry.h"

#include <QPainter>

#include <algorithm>

QtCanvas::QtCanvas(QPainter& painter, const QRect& clip, const QPalette& palette, GlyphCache& glyphs)
    : m_painter(painter)
    , m_clip(clip)
    , m_palette(palette)
    , m_cache(glyphs)
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
    PixelRect box = ToPixelRect(m_clip);
    return { box.left + m_originX, box.top + m_originY, box.right + m_originX, box.bottom + m_originY };
}

void QtCanvas::FillRect(const PixelRect& rect, TColor colour)
{
    if (!rect.IsEmpty())
        m_painter.fillRect(ToQRect(rect), ResolveColour(colour, m_palette));
}

void QtCanvas::SelectFont(const TFont& font)
{
    if (m_glyphs && font.Handle() == m_selected)
        return;
    m_glyphs = &m_cache.For(font);
    m_selected = font.Handle();
}

void QtCanvas::SetTextColours(TColor foreground, TColor background)
{
    const QColor ink = ResolveColour(foreground, m_palette);
    m_background = ResolveColour(background, m_palette);
    auto mix = [](int from, int to, int level) { return (from * (255 - level) + to * level + 127) / 255; };
    for (int level = 0; level < 256; ++level) {
        m_shades[level] = qRgb(mix(m_background.red(), ink.red(), level), mix(m_background.green(), ink.green(), level),
            mix(m_background.blue(), ink.blue(), level));
    }
}

void QtCanvas::DrawRun(int x, int baseline, QByteArrayView cells, int advance, const PixelRect& box)
{
    if (!m_glyphs || advance <= 0 || box.IsEmpty()) {
        m_painter.fillRect(ToQRect(box), m_background);
        return;
    }
    const int height = box.bottom - box.top;
    ComposeRun(cells, QRect(x - box.left, baseline - box.top, advance, height));
    m_painter.drawImage(
        QPoint(box.left, box.top), m_run, QRect(0, 0, std::min<int>(box.right - box.left, m_run.width()), height));
}

// Each cell's pixels are its mask's levels looked up in the run's shades.
void QtCanvas::ComposeRun(QByteArrayView cells, const QRect& geometry)
{
    const int width = static_cast<int>(cells.size()) * geometry.width();
    if (m_run.width() < width || m_run.height() != geometry.height())
        m_run = QImage(std::max(width, m_run.width()), geometry.height(), QImage::Format_RGB32);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const QImage& mask = m_glyphs->Mask(static_cast<std::uint8_t>(cells[i]), geometry);
        const int left = static_cast<int>(i) * geometry.width();
        for (int y = 0; y < geometry.height(); ++y) {
            const uchar* levels = mask.constScanLine(y);
            auto* pixels = reinterpret_cast<QRgb*>(m_run.scanLine(y)) + left;
            for (int column = 0; column < geometry.width(); ++column)
                pixels[column] = m_shades[levels[column]];
        }
    }
}
