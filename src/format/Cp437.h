#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// The one place where bytes of a display file meet the characters shown on
// screen. Bytes are shown as the PC text screen shows them (code page 437):
// 0x01-0x1F and 0x7F as the PC glyphs, 0x80-0xFF as the line, block and
// accented characters.
namespace Cp437 {

// The character of a byte on the PC text screen; byte 0, which the PC shows
// blank, is U+2400 (the symbol for null).
char16_t ToUnicode(std::uint8_t byte);

// The byte of a character: the glyphs of the table, plus the plain control
// characters U+0001-U+001F and U+007F for their own byte (a typed TAB is 0x09).
// Returns -1 for a character that has no code page 437 code (U+0000 too).
int FromUnicode(char32_t character);

// Every byte as its glyph, one character per byte (a screen row, a table).
QString DecodeCells(QByteArrayView bytes);

// A document as the editor shows it: each CR LF pair is a line break ('\n'),
// a lone CR or LF is a glyph like any other byte.
QString DecodeDocument(QByteArrayView bytes);

struct EncodedText {
    QByteArray bytes;
    // Each character without a code, once, in order of appearance; it was
    // written as '?' into bytes.
    QString unmappable;
};

// The inverse of DecodeDocument: '\n' and U+2029 become CR LF. For every byte
// string, EncodeDocument(DecodeDocument(b)).bytes == b.
EncodedText EncodeDocument(QStringView text);

struct InsertedText {
    QString text;
    QString unmappable; // as in EncodedText
};

// Text from outside (typed, pasted, dropped) as the document takes it: each
// CR LF, lone CR and lone LF is one line break, as opening a file makes it,
// and each character without a byte is '?'. Every way in uses this.
InsertedText Insertable(QStringView text);

// UTF-8 of DecodeCells, for output to terminals and JSON.
QByteArray CellsToUtf8(QByteArrayView bytes);

}
