// How readable the menu's entries are over their background, measured on
// the drawn screen: per letter, its glyph's pixels against the rest of its
// cell, which is where the picture, the colour's own background and the
// shadow all meet the eye.
#include "BackgroundVerdict.h"

#include <cmath>

namespace Vesa {

double RelativeLuminance(Rgb colour)
{
    double sum = 0;
    const double weights[] = { 0.2126, 0.7152, 0.0722 };
    for (int c = 0; c < 3; ++c) {
        const double level = static_cast<double>(colour >> (16 - 8 * c) & 0xFF) / 255.0;
        sum += weights[c] * (level <= 0.04045 ? level / 12.92 : std::pow((level + 0.055) / 1.055, 2.4));
    }
    return sum;
}

double ContrastRatio(double luminance, double other)
{
    return (std::max(luminance, other) + 0.05) / (std::min(luminance, other) + 0.05);
}

namespace {

bool EntryColour(std::uint16_t colour)
{
    using Name = MenuColourName;
    for (const Name name : { Name::Unsel, Name::Hotkey, Name::Sel, Name::Hotsel, Name::Disabled })
        if (colour == static_cast<std::uint16_t>(name))
            return true;
    return false;
}

// A letter's contrast: mean luminance of its dots against that of the rest
// of its cell; nothing for a cell without dots or without the rest.
std::optional<double> Letter(const Picture& drawn, const Font& font, std::uint8_t byte, int left, int top)
{
    double on = 0, off = 0;
    int dots = 0, rest = 0;
    for (int line = 0; line < font.height; ++line) {
        const std::uint8_t bits = font.rows[std::size_t(byte) * std::size_t(font.height) + std::size_t(line)];
        for (int bit = 0; bit < 8; ++bit) {
            const int x = left + bit, y = top + line;
            if (x >= drawn.width || y >= drawn.height)
                continue;
            const double luminance = RelativeLuminance(drawn.At(x, y));
            if (bits >> (7 - bit) & 1)
                on += luminance, ++dots;
            else
                off += luminance, ++rest;
        }
    }
    if (dots == 0 || rest == 0)
        return std::nullopt;
    return ContrastRatio(on / dots, off / rest);
}

}

std::vector<ContrastFinding> ContrastFindings(
    const MenuFrame& frame, const Picture& drawn, const Font& font, double threshold)
{
    const Font& shown = frame.font ? *frame.font : font;
    std::vector<ContrastFinding> findings;
    for (int row = 0; row < frame.rows; ++row) {
        for (int column = 0; column < frame.cols;) {
            const auto cell
                = [&](int c) { return frame.cells[std::size_t(row) * std::size_t(frame.cols) + std::size_t(c)]; };
            if (!EntryColour(cell(column).colour)) {
                ++column;
                continue;
            }
            ContrastFinding entry { row, column, {}, 1e9, 0, 0 };
            for (; column < frame.cols && EntryColour(cell(column).colour); ++column) {
                entry.text += char(cell(column).byte);
                const std::optional<double> ratio
                    = Letter(drawn, shown, cell(column).byte, Border + 8 * column, Border + shown.height * row);
                if (!ratio)
                    continue;
                ++entry.letters;
                entry.ratio = std::min(entry.ratio, *ratio);
                entry.hardLetters += *ratio < threshold;
            }
            entry.text = entry.text.trimmed();
            if (entry.hardLetters > 0)
                findings.push_back(std::move(entry));
        }
    }
    return findings;
}

}
