#include "QtCanvas.h"

#include "Font.h"
#include "QtFonts.h"
#include "format/Cp437.h"

#include <QGlyphRun>
#include <QHash>
#include <QPainter>

#include <memory>

namespace {

QRect ToQRect(const PixelRect& rect) { return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top); }

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

const QtCanvas::GlyphSet& QtCanvas::GlyphsFor(const TFont& font)
{
    static QHash<QString, std::shared_ptr<GlyphSet>> cache;
    const FontDescription& handle = font.Handle();
    const QString key = QStringLiteral("%1|%2|%3").arg(handle.name).arg(handle.height).arg(handle.style.toInt());
    auto& slot = cache[key];
    if (!slot) {
        slot = std::make_shared<GlyphSet>();
        slot->font = PlatformFont(font);
        slot->raw = QRawFont::fromFont(slot->font);
        QString glyphs;
        for (int byte = 0; byte < 256; ++byte)
            glyphs += QChar(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)));
        QList<quint32> indexes = slot->raw.glyphIndexesForString(glyphs);
        for (int byte = 0; byte < 256 && byte < indexes.size(); ++byte)
            slot->index[byte] = indexes[byte];
    }
    return *slot;
}

void QtCanvas::SelectFont(const TFont& font) { m_glyphs = &GlyphsFor(font); }

void QtCanvas::SetTextColours(TColor foreground, TColor background)
{
    m_foreground = ResolveColour(foreground, m_palette);
    m_background = ResolveColour(background, m_palette);
}

void QtCanvas::DrawRun(int x, int baseline, QByteArrayView cells, int advance, const PixelRect& box)
{
    const QRect boxRect = ToQRect(box);
    m_painter.fillRect(boxRect, m_background);
    if (!m_glyphs)
        return;
    QList<quint32> indexes;
    QList<QPointF> positions;
    indexes.reserve(cells.size());
    positions.reserve(cells.size());
    bool missing = false;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const auto byte = static_cast<std::uint8_t>(cells[i]);
        if (byte == ' ')
            continue;
        if (m_glyphs->index[byte] == 0) {
            missing = true;
            continue;
        }
        indexes.append(m_glyphs->index[byte]);
        positions.append(QPointF(x + i * advance, baseline));
    }
    m_painter.save();
    m_painter.setClipRect(boxRect, Qt::IntersectClip);
    m_painter.setPen(m_foreground);
    if (!indexes.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(m_glyphs->raw);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        run.setUnderline(m_glyphs->font.underline());
        run.setStrikeOut(m_glyphs->font.strikeOut());
        m_painter.drawGlyphRun(QPointF(0, 0), run);
    }
    if (missing) {
        m_painter.setFont(m_glyphs->font);
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const auto byte = static_cast<std::uint8_t>(cells[i]);
            if (byte != ' ' && m_glyphs->index[byte] == 0)
                m_painter.drawText(QPointF(x + i * advance, baseline), QString(QChar(Cp437::ToUnicode(byte))));
        }
    }
    m_painter.restore();
}
