#include "Font.h"

#include <cmath>

// Windows' MulDiv: rounded half away from zero.
static int ScaleRounded(int value, int numerator, int denominator)
{
    return static_cast<int>(std::lround(static_cast<double>(value) * numerator / denominator));
}

TFont::TFont()
{
    m_description.name = QStringLiteral("MS Sans Serif");
    m_description.height = 11;
}

void TFont::Changed()
{
    if (OnChange)
        OnChange();
}

void TFont::SetDescription(const FontDescription& description)
{
    if (description == m_description)
        return;
    m_description = description;
    Changed();
}

void TFont::SetName(const QString& name)
{
    FontDescription description = m_description;
    description.name = name;
    SetDescription(description);
}

void TFont::SetHeight(int pixels)
{
    FontDescription description = m_description;
    description.height = pixels;
    SetDescription(description);
}

int TFont::Size() const { return ScaleRounded(m_description.height, 72, ScreenPixelsPerInch); }

void TFont::SetSize(int points) { SetHeight(ScaleRounded(points, ScreenPixelsPerInch, 72)); }

void TFont::SetStyle(TFontStyles style)
{
    FontDescription description = m_description;
    description.style = style;
    SetDescription(description);
}

void TFont::SetPitch(TFontPitch pitch)
{
    FontDescription description = m_description;
    description.pitch = pitch;
    SetDescription(description);
}

void TFont::SetCharset(TFontCharset charset)
{
    FontDescription description = m_description;
    description.charset = charset;
    SetDescription(description);
}

void TFont::SetColor(TColor color)
{
    if (color == m_color)
        return;
    m_color = color;
    Changed();
}

void TFont::CopyFrom(const TFont& source)
{
    if (source.m_description == m_description && source.m_color == m_color)
        return;
    m_description = source.m_description;
    m_color = source.m_color;
    Changed();
}

TFixedFont::TFixedFont() { SetName(QStringLiteral("Courier New")); }

void TFixedFont::SetBkColor(TColor color)
{
    m_bkColor = color;
    Changed();
}

void TFixedFont::CopyFrom(const TFont& source)
{
    const TColor previous = m_bkColor;
    if (auto* fixed = dynamic_cast<const TFixedFont*>(&source))
        m_bkColor = fixed->m_bkColor;
    try {
        TFont::CopyFrom(source);
    } catch (...) {
        m_bkColor = previous;
        throw;
    }
}
