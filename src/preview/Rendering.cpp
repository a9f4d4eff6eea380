#include "Rendering.h"

#include "console/ColorConsole.h"
#include "console/ScreenMap.h"
#include "format/ByteSink.h"
#include "format/DisplayCodes.h"
#include "format/Palette.h"

#include <vector>

namespace {

// Calls keep with the index of every byte outside image lines.
template <typename Keep> void ForEachKeptByte(QByteArrayView text, Keep keep)
{
    bool skipping = false;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char byte = text[index];
        if (byte == DisplayCode::ImageReference)
            skipping = true;
        else if (!skipping)
            keep(index);
        if (byte == DisplayCode::LF)
            skipping = false;
    }
}

std::vector<qsizetype> KeptOffsets(QByteArrayView text)
{
    std::vector<qsizetype> kept;
    kept.reserve(static_cast<size_t>(text.size()));
    ForEachKeptByte(text, [&](qsizetype index) { kept.push_back(index); });
    return kept;
}

}

QByteArray StripImageLines(QByteArrayView text)
{
    QByteArray result;
    result.reserve(text.size());
    ForEachKeptByte(text, [&](qsizetype index) { result += text[index]; });
    return result;
}

namespace {

// Gathers the bytes written one after another into one run, handed on
// before the colours change.
class RunWriter {
public:
    RunWriter(const QByteArray& text, ByteSink& sink)
        : m_text(text)
        , m_sink(sink)
    {
    }
    void Add(qsizetype index)
    {
        if (index != m_start + m_length) {
            Flush();
            m_start = index;
        }
        ++m_length;
    }
    void Flush()
    {
        if (m_length > 0)
            m_sink.Write(std::string_view(m_text.constData() + m_start, m_length));
        m_length = 0;
    }

private:
    const QByteArray& m_text;
    ByteSink& m_sink;
    qsizetype m_start = 0;
    qsizetype m_length = 0;
};

}

void RenderDisplayFile(TColorConsole& console, QByteArrayView editorText, ByteSink& sink, ScreenMap* map)
{
    console.Clear();
    // The scan looks at one byte and writes the next: the leading LF is
    // looked at but never written, the CR puts the text in the top-left cell.
    QByteArray text = "\n\r";
    text += editorText.contains(DisplayCode::ImageReference) ? StripImageLines(editorText) : editorText.toByteArray();

    TFixedFont& font = console.Font();
    font.SetName(QStringLiteral("Terminal"));
    font.SetColor(Palette[DefaultForegroundDigit]);
    font.SetBkColor(Palette[DefaultBackgroundDigit]);

    // Positions are 1-based. Every byte is looked at, the last one too, so a
    // colour command cut short at the end still sets its default colours;
    // the whole text is scanned however long it is.
    RunWriter writer(text, sink);
    std::vector<qsizetype> kept;
    if (map) {
        kept = KeptOffsets(editorText);
        map->Start(console, editorText.size());
    }
    // The prefix is two bytes; the rest are kept bytes of the editor text.
    auto write = [&](qsizetype index) {
        if (!map || index < 2) {
            writer.Add(index);
            return;
        }
        const qsizetype offset = kept[static_cast<size_t>(index - 2)];
        map->Place(offset);
        writer.Add(index);
        writer.Flush();
        if (static_cast<unsigned char>(text[index]) >= 0x20)
            map->MarkDrawn(offset);
    };
    for (qsizetype position = 1; position <= text.size();) {
        if (text[position - 1] == DisplayCode::ColourCommand) {
            writer.Flush();
            const QByteArrayView command
                = QByteArrayView(text).sliced(position - 1).first(std::min<qsizetype>(3, text.size() - position + 1));
            font.SetColor(CommandColor(std::string_view(command.data(), command.size())));
            font.SetBkColor(CommandBkColor(std::string_view(command.data(), command.size())));
            position += 2;
            continue;
        }
        ++position;
        if (position <= text.size())
            write(position - 1);
    }
    writer.Flush();
    if (map)
        map->Finish();
}
