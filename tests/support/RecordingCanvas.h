#pragma once

#include "console/ConsoleCanvas.h"
#include "console/Font.h"

#include <string>
#include <vector>

// A canvas that records the calls a console's painting makes.
class RecordingCanvas : public ConsoleCanvas {
public:
    struct Run {
        int x, baseline;
        std::string cells;
        int advance;
        PixelRect box;
        TColor foreground, background;
    };
    struct Fill {
        PixelRect rect;
        TColor colour;
    };

    explicit RecordingCanvas(PixelRect clipBox)
        : clip(clipBox)
    {
    }

    void SetOrigin(int x, int y) override
    {
        originX = x;
        originY = y;
    }
    PixelRect ClipBox() const override
    {
        return { clip.left + originX, clip.top + originY, clip.right + originX, clip.bottom + originY };
    }
    void FillRect(const PixelRect& rect, TColor colour) override { fills.push_back({ rect, colour }); }
    void SelectFont(const TFont& font) override
    {
        ++fontSelections;
        fontName = font.Name();
    }
    void SetTextColours(TColor fg, TColor bg) override
    {
        foreground = fg;
        background = bg;
    }
    void DrawRun(int x, int baseline, QByteArrayView cells, int advance, const PixelRect& box) override
    {
        runs.push_back({ x, baseline, std::string(cells.data(), cells.size()), advance, box, foreground, background });
    }

    PixelRect clip;
    int originX = 0, originY = 0;
    int fontSelections = 0;
    QString fontName;
    TColor foreground = 0, background = 0;
    std::vector<Run> runs;
    std::vector<Fill> fills;
};
