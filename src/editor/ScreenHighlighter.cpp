#include "ScreenHighlighter.h"

#include "console/qt/QtGeometry.h"
#include "format/Cp437.h"
#include "format/DisplayCodes.h"
#include "format/Palette.h"

namespace {

QColor PaletteColour(int digit) { return ToQColor(Palette[digit]); }

const QColor Quiet(0x80, 0x80, 0x80);
const QColor PastTheScreen(0xC0, 0x30, 0x30);

// The digit a command byte names under the rules.
std::optional<int> DigitOf(char byte, ScreenRules rules)
{
    return rules == ScreenRules::Boot ? AnyCaseDigitValue(byte) : HexDigitValue(byte);
}

QTextCharFormat QuietFormat(const QColor& background)
{
    QTextCharFormat format;
    format.setForeground(Quiet);
    format.setBackground(background);
    return format;
}

}

ScreenHighlighter::ScreenHighlighter(QTextDocument* document)
    : QSyntaxHighlighter(document)
{
}

void ScreenHighlighter::SetRules(ScreenRules rules, bool brightBackgrounds)
{
    if (rules == m_rules && brightBackgrounds == m_brightBackgrounds)
        return;
    m_rules = rules;
    m_brightBackgrounds = brightBackgrounds;
    rehighlight();
}

QColor ScreenHighlighter::BackgroundOf(int digit) const
{
    const bool blinks = m_rules == ScreenRules::Boot && !m_brightBackgrounds;
    return PaletteColour(blinks ? digit & 0x07 : digit);
}

QTextCharFormat ScreenHighlighter::FormatOf(ByteRole role, char byte, const ReaderState& state) const
{
    const QColor background = BackgroundOf(state.background);
    switch (role) {
    case ByteRole::Text: {
        if (m_rules == ScreenRules::Boot && !state.OnScreen())
            return QuietFormat(background);
        QTextCharFormat format;
        format.setForeground(PaletteColour(state.foreground));
        format.setBackground(background);
        return format;
    }
    case ByteRole::BackgroundDigit:
    case ByteRole::ForegroundDigit: {
        const std::optional<int> digit = DigitOf(byte, m_rules);
        QTextCharFormat format = QuietFormat(background);
        if (digit) {
            format.setBackground(PaletteColour(*digit));
            format.setForeground(*digit == 0 || *digit == 8 ? Qt::white : Qt::black);
        } else {
            format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
            format.setUnderlineColor(Qt::red);
        }
        return format;
    }
    case ByteRole::ImageLine: {
        QTextCharFormat format = QuietFormat(background);
        format.setFontItalic(true);
        return format;
    }
    case ByteRole::AfterEnd: {
        QTextCharFormat format = QuietFormat(PaletteColour(0));
        format.setFontStrikeOut(true);
        return format;
    }
    default: return QuietFormat(background);
    }
}

void ScreenHighlighter::highlightBlock(const QString& text)
{
    const int previous = previousBlockState();
    ByteReader reader(m_rules, previous < 0 ? ReaderState {} : ReaderState::Unpacked(previous));
    int column = 0;
    int runStart = 0;
    QTextCharFormat run;
    for (int index = 0; index < text.size(); ++index) {
        const char byte = static_cast<char>(Cp437::FromUnicode(text[index].unicode()));
        const ByteRole role = reader.Read(byte);
        QTextCharFormat format = FormatOf(role, byte, reader.State());
        if (column >= ScreenColumns && role == ByteRole::Text)
            format.setBackground(PastTheScreen);
        column = reader.ColumnAfter(column, role, byte);
        if (format != run) {
            setFormat(runStart, index - runStart, run);
            run = format;
            runStart = index;
        }
    }
    setFormat(runStart, static_cast<int>(text.size()) - runStart, run);
    // The line break between this line and the next.
    reader.Read(DisplayCode::CR);
    reader.Read(DisplayCode::LF);
    setCurrentBlockState(reader.State().Packed());
}
