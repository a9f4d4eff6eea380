// Feeds arbitrary bytes through what Open does to a file and through the
// document's code page 437 text, and checks that no byte is lost or
// changed on the way: Open leaves only CR LF line breaks and nothing else
// altered, doing it twice changes nothing more, and the editor's text of
// the bytes gives back exactly those bytes, also copied and pasted back;
// and text from outside (paste, drop) gets Open's line breaks. Then edits
// the opened bytes in the document control, long lines held in pieces, by
// a script the rest of the input spells, and checks the control's bytes
// against the same edits on a plain byte string after every step.
#include "EditScript.h"
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

    // The first byte's low bits: how much of the input is the document (the
    // rest is the script), and whether its first line is made long.
    if (size < 2)
        return 0;
    static int argc = 1;
    static char name[] = "document_fuzz";
    static char* argv[] = { name, nullptr };
    static QApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    (void)application;
    static DocumentEdit* edit = new DocumentEdit;
    const qsizetype documentSize = std::min<qsizetype>(bytes.size() - 1, (data[0] >> 1) * 16);
    QByteArray start = DisplayFile::NormaliseLineBreaks(bytes.mid(1, documentSize));
    if (data[0] & 1)
        start.prepend(QByteArray(1500 + data[1] % 600, 'x'));
    EditScript script(*edit, start);
    for (std::size_t at = 1 + static_cast<std::size_t>(documentSize); at + 5 <= size; at += 5) {
        const std::uint32_t first = data[at + 1] | data[at + 2] << 8, second = data[at + 3] | data[at + 4] << 8;
        const std::string fault = script.Step(data[at], first, second);
        Require(fault.empty(), fault.c_str());
    }
    return 0;
}
