#pragma once

#include <QByteArray>

// A PNG file of rows already filtered (a 0 byte before each): its bit depth
// and colour type (PNG's numbers), and for a palette image the palette's
// RGB bytes. The picture is never interlaced.
struct PngLayout {
    int width = 0;
    int height = 0;
    int depth = 8;
    int colourType = 2; // 2 RGB, 3 palette
    QByteArray palette;
};
QByteArray PngFile(const PngLayout& layout, const QByteArray& rows);
