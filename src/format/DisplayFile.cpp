#include "DisplayFile.h"

#include "DisplayCodes.h"

namespace DisplayFile {

QByteArray NormaliseLineBreaks(QByteArrayView bytes)
{
    QByteArray result;
    result.reserve(bytes.size() + bytes.size() / 16);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char byte = bytes[i];
        if (byte == DisplayCode::CR && i + 1 < bytes.size() && bytes[i + 1] == DisplayCode::LF) {
            result += "\r\n";
            ++i;
        } else if (byte == DisplayCode::CR || byte == DisplayCode::LF) {
            result += "\r\n";
        } else {
            result += byte;
        }
    }
    return result;
}

bool OnlyLfBreaks(QByteArrayView bytes) { return bytes.contains(DisplayCode::LF) && !bytes.contains(DisplayCode::CR); }

QByteArray WithLfBreaks(QByteArrayView bytes) { return bytes.toByteArray().replace("\r\n", "\n"); }

}
