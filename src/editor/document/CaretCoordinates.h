#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// Where the caret is as the boot screen will place it. Colour commands take
// three columns in the editor and none on the screen.
struct CaretColumns {
    int editor = 1; // 1-based column in the editor line
    int preview = 1; // the editor column less the colour-command discount
};

// The columns for a caret after `bytesBefore` bytes of the line `line`. Each
// column k from 1 to editor − 3 whose three bytes from k hold a 0x0F takes
// one off; every window examined is passed to `window`.
CaretColumns ColumnsOf(
    const QByteArray& line, int bytesBefore, const std::function<void(const QByteArray&)>& window = nullptr);

// "X: 5 (8)" and "Y: 0".
QString ColumnCaption(const CaretColumns& columns);
QString LineCaption(int lineIndex);
