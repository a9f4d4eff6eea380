#pragma once

#include <QByteArray>
#include <QList>

// What opening a display file does to its bytes, shared by every reader.
namespace DisplayFile {

// Each CR LF pair stays; every other CR and every other LF becomes CR LF
// (so LF CR is two line breaks).
QByteArray NormaliseLineBreaks(QByteArrayView bytes);

// Whether every line break is a lone LF, and there is at least one.
bool OnlyLfBreaks(QByteArrayView bytes);

// Each CR LF as a lone LF, for saving a file in the line breaks it had.
QByteArray WithLfBreaks(QByteArrayView bytes);

// The image file name of the image line whose 0x18 is at offset: the bytes
// up to the next LF, without surrounding spaces and CR.
QByteArray ImageNameAt(QByteArrayView bytes, qsizetype offset);

// The names of the images that the boot loader shows, in file order, once
// each.
QList<QByteArray> ImageNames(QByteArrayView bytes);

}
