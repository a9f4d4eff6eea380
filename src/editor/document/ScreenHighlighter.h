#pragma once

#include "format/DisplayCodes.h"

#include "format/ByteReader.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

// Colours the document as the screen will show it: each run of text in its
// foreground and background, the bytes of colour commands quiet (the 0x0F
// dimmed, each digit a swatch of its colour), other codes and image lines
// dimmed, and what falls past the screen's 80th column tinted. The reading
// state is carried from line to line in the block state.
class ScreenHighlighter : public QSyntaxHighlighter {
    Q_OBJECT

public:
    explicit ScreenHighlighter(QTextDocument* document);

    // The rules of the preview's current mode; under the boot rules a
    // background digit 8-f blinks, shown as its dark colour unless bright
    // backgrounds are chosen.
    void SetRules(ScreenRules rules, bool brightBackgrounds);

    // A boot configuration is no screen: its directives are shown instead
    // (keywords bold, comments dimmed), read by the loader's rules with its
    // one list of keywords.
    void SetConfiguration(bool configuration);

    static constexpr int ScreenColumns = TextScreen::Columns;

protected:
    void highlightBlock(const QString& text) override;

private:
    void HighlightDirective(const QString& text);
    bool m_configuration = false;

private:
    // How a byte looks; a run of bytes that look the same takes one format.
    struct Look {
        ByteRole role = ByteRole::Text;
        int foreground = 0;
        int background = 0;
        bool shown = true; // not hidden by the output selection
        char digit = 0; // the byte of a colour digit
        bool pastTheScreen = false;
        bool operator==(const Look&) const = default;
    };
    QTextCharFormat FormatOf(const Look& look) const;
    QColor BackgroundOf(int digit) const;

    ScreenRules m_rules = ScreenRules::Preview;
    bool m_brightBackgrounds = true;
};
