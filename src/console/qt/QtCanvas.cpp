#include "QtCanvas.h"

#include "QtGeometry.h"
#include "format/Palette.h"

#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

// A cell's row is a few pixels: copied four at a time by fixed-size copies
// the compiler inlines, where a call to memmove would cost more than the copy.
void CopyPixels(const QRgb* from, QRgb* to, int count)
{
    int x = 0;
    for (; x + 4 <= count; x += 4)
        std::memcpy(to + x, from + x, 4 * sizeof(QRgb));
    for (; x < count; ++x)
        std::memcpy(to + x, from + x, sizeof(QRgb));
}

}

QtCanvas::QtCanvas(QPainter& painter, const QRect& clip, const QPalette& palette, GlyphCache& glyphs, BlinkPhase blink)
    : m_painter(painter)
    , m_clip(clip)
    , m_palette(palette)
    , m_cache(glyphs)
    , m_blink(blink)
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
    m_cells = nullptr;
}

void QtCanvas::SetTextColours(TColor foreground, TColor background)
{
    const std::optional<int> digit = PaletteDigitOf(background);
    if (m_blink != BlinkPhase::Bright && digit && *digit >= 8) {
        background = Palette[*digit - 8];
        if (m_blink == BlinkPhase::Hidden)
            foreground = background;
    }
    m_ink = ResolveColour(foreground, m_palette).rgb();
    m_background = ResolveColour(background, m_palette);
    m_cells = nullptr;
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

// Row by row, each cell's pixels are copied from the glyph cache.
void QtCanvas::ComposeRun(QByteArrayView cells, const QRect& geometry)
{
    const int width = static_cast<int>(cells.size()) * geometry.width();
    if (m_run.width() < width || m_run.height() != geometry.height())
        m_run = QImage(std::max(width, m_run.width()), geometry.height(), QImage::Format_RGB32);
    auto* run = reinterpret_cast<QRgb*>(m_run.bits());
    const qsizetype runLine = m_run.bytesPerLine() / qsizetype(sizeof(QRgb));
    const int cellWidth = geometry.width();
    GlyphCache::Font::Cells& coloured = CellsFor(geometry);
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const QImage& cell = m_glyphs->Cell(coloured, static_cast<std::uint8_t>(cells[i]), m_ink, m_background.rgb());
        const auto* from = reinterpret_cast<const QRgb*>(cell.constBits());
        QRgb* to = run + i * cellWidth;
        for (int y = 0; y < geometry.height(); ++y, from += cellWidth, to += runLine)
            CopyPixels(from, to, cellWidth);
    }
}

GlyphCache::Font::Cells& QtCanvas::CellsFor(const QRect& geometry)
{
    if (!m_cells || geometry != m_cellGeometry || m_glyphs->Generation() != m_generation) {
        m_cells = &m_glyphs->CellsIn(geometry, m_ink, m_background.rgb());
        m_cellGeometry = geometry;
        m_generation = m_glyphs->Generation();
    }
    return *m_cells;
}
