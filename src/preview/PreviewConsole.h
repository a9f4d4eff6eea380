#pragma once

#include "console/ColorConsole.h"

#include <utility>

// The preview console as the preview window describes it: 80 × 25, CR LF
// line breaks, lazy writing and Ctrl+C to the break hook. Ends, as loading
// does, with a Clear. The window adds the standard output stream.
void LoadPreviewConsole(TColorConsole& console);

// The VGA text mode's character cell is 16 pixels high.
constexpr int VgaCellHeight = 16;

// The preview's font before any rendering: the PC screen face in the OEM
// character set, a VGA cell high, light grey on black.
void SetPreviewFont(TFixedFont& font);

// A console loaded as the preview's, with its font set, and the measurer it
// asks (made from arguments): where every view of a display file starts.
template <typename Measurer> struct PreviewScreen {
    template <typename... Arguments>
    explicit PreviewScreen(Arguments&&... arguments)
        : measurer(std::forward<Arguments>(arguments)...)
    {
        LoadPreviewConsole(console);
        SetPreviewFont(console.Font());
    }
    PreviewScreen(const PreviewScreen&) = delete;
    PreviewScreen& operator=(const PreviewScreen&) = delete;

    Measurer measurer;
    TColorConsole console { measurer };
};
