#pragma once

#include "GlyphCache.h"
#include "console/ConsoleCanvas.h"

#include <QColor>
#include <QImage>
#include <QPalette>
#include <QRect>

class QPainter;

// A console canvas over a QPainter. Every glyph is placed at exactly one
// cell per character, whatever the font's own advances, and is clipped to
// its cell. A run is composed from the glyph cache's cells in its two
// colours and drawn as one image.
class QtCanvas : public ConsoleCanvas {
public:
    // clip is the area to repaint, in client coordinates.
    QtCanvas(QPainter& painter, const QRect& clip, const QPalette& palette, GlyphCache& glyphs,
        BlinkPhase blink = BlinkPhase::Bright);

    void SetOrigin(int x, int y) override;
    PixelRect ClipBox() const override;
    void FillRect(const PixelRect& rect, TColor colour) override;
    void SelectFont(const TFont& font) override;
    void SetTextColours(TColor foreground, TColor background) override;
    void DrawRun(int x, int baseline, QByteArrayView cells, int advance, const PixelRect& box) override;

private:
    void ComposeRun(QByteArrayView cells, const QRect& geometry);
    GlyphCache::Font::Cells& CellsFor(const QRect& geometry);

    QPainter& m_painter;
    QRect m_clip;
    QPalette m_palette;
    GlyphCache& m_cache;
    BlinkPhase m_blink;
    int m_originX = 0;
    int m_originY = 0;
    GlyphCache::Font* m_glyphs = nullptr;
    FontDescription m_selected;
    QRgb m_ink = 0;
    QColor m_background;
    // The selected font's cells in the current colours and geometry, while
    // the font's generation lasts.
    GlyphCache::Font::Cells* m_cells = nullptr;
    QRect m_cellGeometry;
    int m_generation = -1;
    QImage m_run;
};
