#include "ScreenSnapshot.h"

#include "console/ColorConsole.h"
#include "format/Cp437.h"
#include "format/Palette.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

char DigitOf(TColor colour)
{
    const std::optional<int> digit = PaletteDigitOf(colour);
    return digit ? HexDigits[*digit] : '?';
}

QJsonArray Strings(const QList<QByteArray>& rows, QString (*convert)(const QByteArray&))
{
    QJsonArray array;
    for (const QByteArray& row : rows)
        array.append(convert(row));
    return array;
}

QByteArray Sgr(TColor foreground, TColor background, bool blinking)
{
    const QByteArray start = blinking ? "\x1b[5;" : "\x1b[";
    return start
        + QStringLiteral("38;2;%1;%2;%3;48;2;%4;%5;%6m")
              .arg(RedOf(foreground))
              .arg(GreenOf(foreground))
              .arg(BlueOf(foreground))
              .arg(RedOf(background))
              .arg(GreenOf(background))
              .arg(BlueOf(background))
              .toLatin1();
}

TColor ColourOf(char digit)
{
    const std::optional<int> value = HexDigitValue(digit);
    return value ? Palette[*value] : Palette[DefaultForegroundDigit];
}

}

ScreenSnapshot ScreenSnapshot::OfVgaText(QByteArrayView memory, int cols, int rows, int cursorColumn, int cursorRow)
{
    ScreenSnapshot snapshot { cols, rows, cursorColumn, cursorRow, {}, {}, {} };
    for (int row = 0; row < rows; ++row) {
        QByteArray bytes, foreground, background;
        for (int column = 0; column < cols; ++column) {
            const qsizetype cell = 2 * (qsizetype(row) * cols + column);
            const auto attribute = static_cast<std::uint8_t>(cell + 1 < memory.size() ? memory[cell + 1] : 0x07);
            bytes += cell < memory.size() ? memory[cell] : ' ';
            foreground += HexDigits[attribute & 0x0F];
            background += HexDigits[attribute >> 4];
        }
        snapshot.bytes << bytes;
        snapshot.foreground << foreground;
        snapshot.background << background;
    }
    return snapshot;
}

ScreenSnapshot ScreenSnapshot::Of(const TColorConsole& console)
{
    ScreenSnapshot snapshot;
    snapshot.cols = console.Cols();
    snapshot.rows = console.Rows();
    snapshot.cursorColumn = console.Cursor().x;
    snapshot.cursorRow = console.Cursor().y;
    for (int row = 0; row < console.Rows(); ++row) {
        snapshot.bytes.append(console.ScreenRow(row));
        QByteArray foreground, background;
        for (int column = 0; column < console.Cols(); ++column) {
            const TAttr& attr = console.CellAttr(column, row);
            foreground += DigitOf(attr.Color());
            background += DigitOf(attr.BkColor());
        }
        snapshot.foreground.append(foreground);
        snapshot.background.append(background);
    }
    return snapshot;
}

QByteArray ScreenSnapshot::Attributes(int row) const
{
    QByteArray attributes;
    for (int column = 0; column < cols; ++column) {
        const int paper = HexDigitValue(background[row][column]).value_or(0);
        attributes += static_cast<char>(paper << 4 | HexDigitValue(foreground[row][column]).value_or(7));
    }
    return attributes;
}

QByteArray ScreenSnapshot::ToJson(bool withAttributes) const
{
    QJsonObject object;
    object.insert(u"cols", cols);
    object.insert(u"rows", rows);
    object.insert(u"cursor", QJsonArray { cursorColumn, cursorRow });
    object.insert(u"bytes", Strings(bytes, [](const QByteArray& row) { return QString::fromLatin1(row.toHex()); }));
    object.insert(u"fg", Strings(foreground, [](const QByteArray& row) { return QString::fromLatin1(row); }));
    object.insert(u"bg", Strings(background, [](const QByteArray& row) { return QString::fromLatin1(row); }));
    object.insert(u"text", Strings(bytes, [](const QByteArray& row) { return Cp437::DecodeCells(row); }));
    if (withAttributes) {
        QJsonArray attributes;
        for (int row = 0; row < rows; ++row)
            attributes.append(QString::fromLatin1(Attributes(row).toHex()));
        object.insert(u"attrs", attributes);
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

QByteArray ScreenSnapshot::ToAnsi(bool blink) const
{
    QByteArray out;
    for (int row = 0; row < rows; ++row) {
        char lastForeground = 0, lastBackground = 0;
        for (int column = 0; column < cols; ++column) {
            const char ink = foreground[row][column];
            const char paper = background[row][column];
            if (ink != lastForeground || paper != lastBackground) {
                const int paperDigit = HexDigitValue(paper).value_or(DefaultBackgroundDigit);
                const bool blinking = blink && paperDigit >= 8;
                out += Sgr(ColourOf(ink), Palette[blinking ? paperDigit - 8 : paperDigit], blinking);
                lastForeground = ink;
                lastBackground = paper;
            }
            out += Cp437::CellsToUtf8(bytes[row].mid(column, 1));
        }
        out += "\x1b[0m\n";
    }
    return out;
}

QByteArray ScreenSnapshot::ToText() const
{
    QByteArray out;
    for (const QByteArray& row : bytes)
        out += Cp437::CellsToUtf8(row) + '\n';
    return out;
}
