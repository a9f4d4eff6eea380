#include "editor/document/ScreenHighlighter.h"

#include "editor/document/DocumentEdit.h"

#include "config/ConfigSyntax.h"
#include "console/qt/QtGeometry.h"
#include "format/Cp437.h"
#include "format/DisplayCodes.h"
#include "format/Palette.h"

namespace {

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

QTextCharFormat ScreenHighlighter::FormatOf(const Look& look) const
{
    const QColor background = BackgroundOf(look.background);
    switch (look.role) {
    case ByteRole::Text: {
        if (!look.shown)
            return QuietFormat(background);
        QTextCharFormat format;
        format.setForeground(PaletteColour(look.foreground));
        format.setBackground(look.pastTheScreen ? PastTheScreen : background);
        return format;
    }
    case ByteRole::BackgroundDigit:
    case ByteRole::ForegroundDigit: {
        const std::optional<int> digit = DigitOf(look.digit, m_rules);
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

void ScreenHighlighter::SetConfiguration(bool configuration)
{
    if (configuration == m_configuration)
        return;
    m_configuration = configuration;
    rehighlight();
}

// A configuration's line as the loader reads it: the bytes the document's
// characters stand for, blanks (every byte up to the space, TAB among them)
// before a keyword of the reader's list, MENU with its word, F-keys; the
// lines of a TEXT block are no directives until ENDTEXT. The block state
// says whether a TEXT block goes on into the next line.
void ScreenHighlighter::HighlightDirective(const QString& text)
{
    enum State { Directives = 0, InText = 1 };
    const int previous = std::max(previousBlockState(), 0);
    if (DocumentEdit::ContinuesLine(currentBlock()))
        return setCurrentBlockState(previous); // the rest of a long line
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar character : text) {
        const int byte = Cp437::FromUnicode(character.unicode());
        bytes += static_cast<char>(byte < 0 ? '?' : byte);
    }
    using namespace ConfigSyntax;
    const char* line = bytes.constData();
    const char* p = SkipBlanks(line);
    QTextCharFormat keyword;
    keyword.setForeground(QColor(0x1a, 0x3f, 0x9a));
    keyword.setFontWeight(QFont::Bold);
    const auto mark = [&](const char* from, const char* to, const QTextCharFormat& format) {
        setFormat(static_cast<int>(from - line), static_cast<int>(to - from), format);
    };
    setCurrentBlockState(Directives);
    if (previous == InText) {
        if (const char* end = LookingAt(p, "endtext"))
            mark(p, end, keyword);
        else
            setCurrentBlockState(InText);
        return;
    }
    if (*p == '#') {
        QTextCharFormat comment;
        comment.setForeground(QColor(0x80, 0x80, 0x80));
        comment.setFontItalic(true);
        return mark(p, line + bytes.size(), comment);
    }
    int key = 0;
    const char* end = FunctionKeyAt(p, key);
    const std::optional<KeywordMatch> match = end ? std::nullopt : KeywordAt(p);
    if (match) {
        end = match->rest;
        const char* rest = nullptr;
        if (match->keyword == Keyword::Menu && MenuKeywordAt(SkipBlanks(end), rest))
            end = rest;
        if (match->keyword == Keyword::Text)
            setCurrentBlockState(InText);
    }
    if (end)
        mark(p, end, keyword);
}

void ScreenHighlighter::highlightBlock(const QString& text)
{
    if (m_configuration)
        return HighlightDirective(text);
    // The reader's state, and the screen column where a line goes on in the
    // next block (a long line's next piece).
    const int previous = previousBlockState();
    ByteReader reader(m_rules, previous < 0 ? ReaderState {} : ReaderState::Unpacked(previous & ((1 << 20) - 1)));
    int column = std::max(0, previous >> 20);
    int runStart = 0;
    Look run;
    for (int index = 0; index < text.size(); ++index) {
        const char byte = static_cast<char>(Cp437::FromUnicode(text[index].unicode()));
        const ByteRole role = reader.Read(byte);
        const ReaderState& state = reader.State();
        const bool digit = role == ByteRole::BackgroundDigit || role == ByteRole::ForegroundDigit;
        const Look look { role, state.foreground, state.background, m_rules == ScreenRules::Preview || state.OnScreen(),
            digit ? byte : '\0', role == ByteRole::Text && column >= ScreenColumns };
        column = reader.ColumnAfter(column, role, byte);
        if (look != run) {
            if (index > runStart)
                setFormat(runStart, index - runStart, FormatOf(run));
            run = look;
            runStart = index;
        }
    }
    if (text.size() > runStart)
        setFormat(runStart, static_cast<int>(text.size()) - runStart, FormatOf(run));
    if (DocumentEdit::ContinuesLine(currentBlock().next())) {
        setCurrentBlockState(reader.State().Packed() | std::min(column, ScreenColumns) << 20);
        return;
    }
    // The line break between this line and the next.
    reader.Read(DisplayCode::CR);
    reader.Read(DisplayCode::LF);
    setCurrentBlockState(reader.State().Packed());
}
