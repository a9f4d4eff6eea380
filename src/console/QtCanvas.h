#pragma once

#include "ConsoleCanvas.h"
#include "Font.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QImage>
#include <QPalette>
#include <QRawFont>
#include <QRect>

#include <array>

class QPainter;

// A console canvas over a QPainter. Every glyph is placed at exactly one
// cell per character, whatever the font's own advances, and is clipped to
// its cell. Cells are drawn from images of glyph on background, made once
// per glyph and colour pair: copying them is far cheaper than blending
// glyph outlines at every repaint. Glyphs the font lacks come from Qt's font
// fallback.
class QtCanvas : public ConsoleCanvas {
public:
    // clip is the area to repaint, in client coordinates.
    QtCanvas(QPainter& painter, const QRect& clip, const QPalette& palette);

    void SetOrigin(int x, int y) override;
    PixelRect ClipBox() const override;
    void FillRect(const PixelRect& rect, TColor colour) override;
    void SelectFont(const TFont& font) override;
    void SetTextColours(TColor foreground, TColor background) override;
    void DrawRun(int x, int baseline, QByteArrayView cells, int advance, const PixelRect& box) override;

    // The glyphs of one font for the 256 byte values, and its cell images.
    struct GlyphSet {
        QFont font;
        QRawFont raw;
        std::array<quint32, 256> index {}; // 0: the font lacks the glyph
        // Cell images for one cell geometry, keyed by byte and colours.
        QRect cellGeometry; // size, and the glyph origin as its top-left
        QHash<quint64, QImage> cells;
    };
    static GlyphSet& GlyphsFor(const TFont& font);

private:
    const QImage& CellImage(std::uint8_t byte, const QRect& geometry);

    QPainter& m_painter;
    QRect m_clip;
    QPalette m_palette;
    int m_originX = 0;
    int m_originY = 0;
    GlyphSet* m_glyphs = nullptr;
    FontDescription m_selected;
    QColor m_foreground;
    QColor m_background;
};
