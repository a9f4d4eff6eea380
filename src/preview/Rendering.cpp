#include "Rendering.h"

#include "console/ColorConsole.h"
#include "format/ByteSink.h"
#include "format/DisplayCodes.h"
#include "format/Palette.h"

QByteArray StripImageLines(QByteArrayView text)
{
    QByteArray result;
    result.reserve(text.size());
    bool skipping = false;
    for (char byte : text) {
        if (byte == DisplayCode::ImageReference)
            skipping = true;
        else if (!skipping)
            result += byte;
        if (byte == DisplayCode::LF)
            skipping = false;
    }
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

void RenderDisplayFile(TColorConsole& console, QByteArrayView editorText, ByteSink& sink)
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
            writer.Add(position - 1);
    }
    writer.Flush();
}
