#include "editor/widgets/PcScreenFont.h"

#include "console/Font.h"
#include "console/qt/QtFonts.h"

#include <QFont>

QFont PcScreenFont(const QString& face, int pixels)
{
    TFont font;
    font.SetName(face);
    font.SetHeight(pixels);
    font.SetPitch(TFontPitch::Fixed);
    font.SetCharset(TFontCharset::Oem);
    return PlatformFont(font);
}
