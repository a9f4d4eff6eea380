#pragma once

#include "format/Colour.h"

#include <QFlags>
#include <QString>

#include <cstdint>
#include <functional>

enum TFontStyle : std::uint8_t { fsBold = 0x01, fsItalic = 0x02, fsUnderline = 0x04, fsStrikeOut = 0x08 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFontStyles)

enum class TFontPitch : std::uint8_t { Default, Fixed, Variable };

// A font's character set, by the numbers fonts have for them: OEM is the PC
// text screen's (code page 437).
enum class TFontCharset : std::uint8_t { Ansi = 0, Default = 1, Oem = 255 };

// What the platform font resource stands for. Colour plays no part: two fonts
// that differ only in colour share one resource.
struct FontDescription {
    QString name;
    int height = 0; // pixels
    TFontStyles style;
    TFontPitch pitch = TFontPitch::Default;
    TFontCharset charset = TFontCharset::Default;

    bool operator==(const FontDescription&) const = default;
};

// Sizes are converted at 96 pixels per inch, the screen the layouts assume.
constexpr int ScreenPixelsPerInch = 96;

// A font description with a foreground colour and a change notification that
// tells the owner about every change.
class TFont {
public:
    TFont();
    virtual ~TFont() = default;
    TFont(const TFont&) = delete;
    TFont& operator=(const TFont&) = delete;

    const QString& Name() const { return m_description.name; }
    void SetName(const QString& name);
    int Height() const { return m_description.height; }
    void SetHeight(int pixels);
    int Size() const; // points
    void SetSize(int points);
    TFontStyles Style() const { return m_description.style; }
    void SetStyle(TFontStyles style);
    TFontPitch Pitch() const { return m_description.pitch; }
    void SetPitch(TFontPitch pitch);
    TFontCharset Charset() const { return m_description.charset; }
    void SetCharset(TFontCharset charset);
    // The foreground colour; writing an unchanged value notifies nobody.
    TColor Color() const { return m_color; }
    void SetColor(TColor color);

    // The identity of the platform font, compared by value.
    const FontDescription& Handle() const { return m_description; }

    // Copies description and colour, notifying once when anything changed.
    virtual void CopyFrom(const TFont& source);

    std::function<void()> OnChange;

protected:
    void Changed();

private:
    void SetDescription(const FontDescription& description);

    FontDescription m_description;
    TColor m_color = clWindowText;
};

// The console font: a TFont with a background colour.
class TFixedFont : public TFont {
public:
    TFixedFont();

    TColor BkColor() const { return m_bkColor; }
    // Always notifies, also when the value is unchanged.
    void SetBkColor(TColor color);

    // Takes BkColor from another TFixedFont first; if the base copy fails
    // (its change notification throws), BkColor is put back and the error
    // propagates.
    void CopyFrom(const TFont& source) override;

private:
    TColor m_bkColor = clWindow;
};
