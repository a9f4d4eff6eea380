#pragma once

#include "ConsoleCanvas.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRawFont>
#include <QRect>

#include <array>

class QPainter;

// A console canvas over a QPainter. Every glyph is placed at exactly one
// cell per character, whatever the font's own advances; glyphs the font
// lacks are drawn through Qt's font fallback at their cell.
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

    // The glyphs of one font for the 256 byte values.
    struct GlyphSet {
        QFont font;
        QRawFont raw;
        std::array<quint32, 256> index {};
    };
    static const GlyphSet& GlyphsFor(const TFont& font);

private:
    QPainter& m_painter;
    QRect m_clip;
    QPalette m_palette;
    int m_originX = 0;
    int m_originY = 0;
    const GlyphSet* m_glyphs = nullptr;
    QColor m_foreground;
    QColor m_background;
};
