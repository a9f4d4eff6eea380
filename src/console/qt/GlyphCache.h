#pragma once

#include "QtFonts.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QRawFont>
#include <QRect>

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>

class TFont;

// The glyphs of the fonts a console paints with, as coverage masks (one
// 8-bit level per pixel) for one cell geometry, each rendered once. Painting
// then only looks up colours per pixel, whatever the colours are, instead of
// drawing glyph outlines at every repaint. Glyphs the font lacks come from
// Qt's font fallback.
class GlyphCache {
public:
    // One font's glyphs. The geometry is the cell's size with the glyph
    // origin as its top-left point.
    class Font {
    public:
        Font(const TFont& font, VgaDots dots);
        // The coverage of a byte's glyph in a cell of that geometry
        // (Format_Grayscale8, 0 background, 255 ink).
        const QImage& Mask(std::uint8_t byte, const QRect& geometry);
        // The glyphs in two colours: each mask's levels as shades from paper
        // to ink (Format_RGB32), made when first asked for. Kept, as a
        // display file uses few colour pairs; the reference holds until
        // Generation() changes.
        using Cells = std::array<QImage, 256>;
        Cells& CellsIn(const QRect& geometry, QRgb ink, QRgb paper);
        const QImage& Cell(Cells& cells, std::uint8_t byte, QRgb ink, QRgb paper);
        // Changes whenever kept cells are dropped.
        int Generation() const { return m_generation; }
        // Whether the font has the byte's glyph itself.
        bool HasGlyph(std::uint8_t byte) const { return m_index[byte] != 0; }

    private:
        QImage Render(std::uint8_t byte) const;

        QFont m_font;
        QRawFont m_raw;
        std::array<quint32, 256> m_index {};
        QRect m_geometry;
        std::array<QImage, 256> m_masks;
        void SetGeometry(const QRect& geometry);

        std::unordered_map<quint64, Cells> m_colours; // references stay valid as it grows
        int m_generation = 0;
    };

    explicit GlyphCache(VgaDots dots = VgaDots::Nine)
        : m_dots(dots)
    {
    }

    Font& For(const TFont& font);

private:
    VgaDots m_dots;
    QHash<FontDescription, std::shared_ptr<Font>> m_fonts;
};
