#include "QtFonts.h"

#include "QtGeometry.h"
#include "format/Cp437.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>

namespace {

bool IsTerminalFace(const QString& name) { return name.compare(u"Terminal", Qt::CaseInsensitive) == 0; }

bool IsPcScreenFace(const QString& name)
{
    return IsTerminalFace(name) || name.compare(u"Fixedsys", Qt::CaseInsensitive) == 0;
}

const QString& PcScreenFamily()
{
    static const QString family = [] {
        for (const char* candidate : { "DejaVu Sans Mono", "Consolas", "Menlo", "Liberation Mono" }) {
            if (QFontDatabase::hasFamily(QString::fromLatin1(candidate)))
                return QString::fromLatin1(candidate);
        }
        return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    }();
    return family;
}

TFontFamily FamilyOf(QFont::StyleHint hint)
{
    switch (hint) {
    case QFont::Serif: return TFontFamily::Roman;
    case QFont::SansSerif: return TFontFamily::Swiss;
    case QFont::TypeWriter:
    case QFont::Monospace: return TFontFamily::Modern;
    case QFont::Cursive: return TFontFamily::Script;
    case QFont::Decorative:
    case QFont::Fantasy: return TFontFamily::Decorative;
    default: return TFontFamily::Unspecified;
    }
}

}

QString VgaFamily(VgaDots dots)
{
    return dots == VgaDots::Nine ? QStringLiteral("Px IBM VGA9") : QStringLiteral("Px IBM VGA8");
}

bool HasVgaFace(VgaDots dots) { return QFontDatabase::hasFamily(VgaFamily(dots)); }

QFont PlatformFont(const TFont& font, VgaDots dots)
{
    if (IsTerminalFace(font.Name()) && HasVgaFace(dots)) {
        // A bitmap face: its pixels exactly, never smoothed.
        QFont vga(VgaFamily(dots));
        vga.setPixelSize(std::max(1, font.Height()));
        vga.setStyleStrategy(QFont::NoAntialias);
        vga.setHintingPreference(QFont::PreferNoHinting);
        return vga;
    }
    QFont result(IsPcScreenFace(font.Name()) ? PcScreenFamily() : font.Name());
    if (font.Pitch() == TFontPitch::Fixed || IsPcScreenFace(font.Name()))
        result.setStyleHint(QFont::TypeWriter);
    result.setPixelSize(std::max(1, font.Height()));
    result.setBold(font.Style() & fsBold);
    result.setItalic(font.Style() & fsItalic);
    result.setUnderline(font.Style() & fsUnderline);
    result.setStrikeOut(font.Style() & fsStrikeOut);
    result.setKerning(false);
    return result;
}

QColor ResolveColour(TColor colour, const QPalette& palette)
{
    if (!IsSystemColour(colour))
        return ToQColor(colour);
    switch (SystemColourIndex(colour)) {
    case 5: return palette.color(QPalette::Base); // window background
    case 8: return palette.color(QPalette::Text); // window text
    case 13: return palette.color(QPalette::Highlight); // highlight
    case 14: return palette.color(QPalette::HighlightedText);
    case 15: return palette.color(QPalette::Button); // button face
    case 18: return palette.color(QPalette::ButtonText); // button text
    default: return palette.color(QPalette::Window);
    }
}

size_t qHash(const FontDescription& description, size_t seed)
{
    return qHashMulti(seed, description.name, description.height, description.style.toInt(),
        static_cast<int>(description.pitch), static_cast<int>(description.charset));
}

TextMetrics QtFontMeasurer::Measure(const TFont& font) const
{
    if (auto found = m_measured.constFind(font.Handle()); found != m_measured.constEnd())
        return *found;

    const QFont platform = PlatformFont(font, m_dots);
    const QFontMetrics metrics(platform);
    const bool fixedPitch = QFontInfo(platform).fixedPitch();
    TextMetrics result;
    result.ascent = metrics.ascent();
    result.descent = metrics.descent();
    for (int byte = 0x20; byte < 0x100; ++byte) {
        const QChar glyph(Cp437::ToUnicode(static_cast<std::uint8_t>(byte)));
        result.maxCharWidth = std::max(result.maxCharWidth, metrics.horizontalAdvance(glyph));
        // Line and block glyphs reach the full height of the PC's cell.
        const QRect ink = metrics.boundingRect(glyph);
        result.ascent = std::max(result.ascent, -ink.top());
        result.descent = std::max(result.descent, ink.bottom() + 1);
    }
    result.height = result.ascent + result.descent;
    result.externalLeading = std::max(0, metrics.leading());
    result.aveCharWidth = fixedPitch ? metrics.horizontalAdvance(QLatin1Char('0')) : metrics.averageCharWidth();
    result.pitchAndFamily
        = fixedPitch ? PitchAndFamily(TFontFamily::Modern) : PitchAndFamily(FamilyOf(platform.styleHint()), true);
    m_measured.insert(font.Handle(), result);
    return result;
}
