// Feeds arbitrary bytes through what Open does to a file and through the
// document's code page 437 text, and checks that no byte is lost or
// changed on the way: Open leaves only CR LF line breaks and nothing else
// altered, doing it twice changes nothing more, and the editor's text of
// the bytes gives back exactly those bytes, also copied and pasted back;
// and text from outside (paste, drop) gets Open's line breaks.
#include "FuzzChecks.h"
#include "format/Cp437.h"
#include "format/DisplayFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QByteArray opened = DisplayFile::NormaliseLineBreaks(bytes);
    Require(OnlyCrLfBreaks(opened), "a lone CR or LF after opening");
    Require(DisplayFile::NormaliseLineBreaks(opened) == opened, "opening twice changed the text");
    QByteArray withoutBreaks = bytes, openedWithoutBreaks = opened;
    withoutBreaks.replace('\r', "").replace('\n', "");
    openedWithoutBreaks.replace('\r', "").replace('\n', "");
    Require(withoutBreaks == openedWithoutBreaks, "opening changed a byte that is not a line break");

    const QString shown = Cp437::DecodeDocument(opened);
    const Cp437::EncodedText text = Cp437::EncodeDocument(shown);
    Require(text.unmappable.isEmpty(), "a byte's own glyph has no byte");
    Require(text.bytes == opened, "the document's text does not give back its bytes");
    // Copied and pasted back, the text is the same bytes again.
    const Cp437::InsertedText pasted = Cp437::Insertable(shown);
    Require(pasted.unmappable.isEmpty() && Cp437::EncodeDocument(pasted.text).bytes == opened, "a paste changed bytes");
    // Any text from outside (the input read as UTF-8) becomes bytes with Open's line breaks.
    const Cp437::InsertedText outside = Cp437::Insertable(QString::fromUtf8(bytes));
    Require(OnlyCrLfBreaks(Cp437::EncodeDocument(outside.text).bytes), "a lone CR or LF from a paste");
    return 0;
}
