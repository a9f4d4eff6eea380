#include "ScreenHighlighter.h"

#include <QSet>

#include "DocumentEdit.h"

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

void ScreenHighlighter::HighlightDirective(const QString& text)
{
    static const QSet<QString> keywords = { "append", "allowoptions", "boot", "bss", "com32", "comboot", "config",
        "console", "default", "display", "endtext", "f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10",
        "f11", "f12", "fdimage", "font", "implicit", "include", "initrd", "ipappend", "kbdmap", "kernel", "label",
        "linux", "localboot", "menu", "noescape", "nocomplete", "nohalt", "onerror", "ontimeout", "path", "prompt",
        "pxe", "pxeretry", "say", "sendcookies", "serial", "sysappend", "text", "timeout", "totaltimeout", "ui" };
    qsizetype start = 0;
    while (start < text.size() && text[start].isSpace())
        ++start;
    if (start < text.size() && text[start] == u'#') {
        QTextCharFormat comment;
        comment.setForeground(QColor(0x80, 0x80, 0x80));
        comment.setFontItalic(true);
        setFormat(static_cast<int>(start), static_cast<int>(text.size() - start), comment);
        return;
    }
    qsizetype end = start;
    while (end < text.size() && !text[end].isSpace())
        ++end;
    QString word = text.mid(start, end - start).toLower();
    if (word == u"menu") { // MENU and its own keyword
        qsizetype second = end;
        while (second < text.size() && text[second].isSpace())
            ++second;
        end = second;
        while (end < text.size() && !text[end].isSpace())
            ++end;
    }
    if (!keywords.contains(word))
        return;
    QTextCharFormat keyword;
    keyword.setForeground(QColor(0x1a, 0x3f, 0x9a));
    keyword.setFontWeight(QFont::Bold);
    setFormat(static_cast<int>(start), static_cast<int>(end - start), keyword);
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
