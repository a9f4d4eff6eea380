#pragma once

#include <QByteArray>

// What opening a display file does to its bytes, shared by every reader.
namespace DisplayFile {

// Each CR LF pair stays; every other CR and every other LF becomes CR LF
// (so LF CR is two line breaks).
QByteArray NormaliseLineBreaks(QByteArrayView bytes);

}
