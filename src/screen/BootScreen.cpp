#include "BootScreen.h"

#include "boot/BootRendering.h"
#include "format/Palette.h"
#include "preview/PreviewConsole.h"
#include "preview/ScreenSnapshot.h"

Screen ScreenOf(const ScreenSnapshot& snapshot)
{
    Screen screen;
    for (int row = 0; row < std::min(snapshot.rows, Screen::Rows); ++row) {
        const QByteArray attributes = snapshot.Attributes(row);
        for (int column = 0; column < std::min(snapshot.cols, Screen::Columns); ++column)
            screen.At(column, row) = { static_cast<std::uint8_t>(snapshot.bytes[row][column]),
                static_cast<std::uint8_t>(attributes[column]) };
    }
    return screen;
}

BootView BootScreenOf(QByteArrayView file)
{
    PreviewScreen<FixedCellMeasurer> preview;
    RenderBootScreen(preview.console, file, {});
    const ScreenSnapshot snapshot = ScreenSnapshot::Of(preview.console);
    return { ScreenOf(snapshot), { snapshot.cursorColumn, snapshot.cursorRow } };
}
