#include "DisplayFile.h"

#include <QSet>

#include "ByteReader.h"
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

QByteArray DisplayFile::ImageNameAt(QByteArrayView bytes, qsizetype offset)
{
    qsizetype end = bytes.indexOf(DisplayCode::LF, offset);
    if (end < 0)
        end = bytes.size();
    return bytes.sliced(offset + 1, end - offset - 1).toByteArray().trimmed();
}

QList<QByteArray> DisplayFile::ImageNames(QByteArrayView bytes)
{
    QList<QByteArray> names;
    QSet<QByteArray> seen; // tens of thousands of names cost linear time
    ByteReader reader(ScreenRules::Boot);
    for (qsizetype offset = 0; offset < bytes.size(); ++offset) {
        const bool inImageLine = reader.State().imageLine;
        if (reader.Read(bytes[offset]) != ByteRole::ImageLine || inImageLine)
            continue;
        const QByteArray name = ImageNameAt(bytes, offset);
        if (!name.isEmpty() && !seen.contains(name)) {
            seen.insert(name);
            names << name;
        }
    }
    return names;
}
