#include "PreviewConsole.h"

#include "console/ColorConsole.h"
#include "format/Palette.h"

void LoadPreviewConsole(TColorConsole& console)
{
    console.SetOptions(coCheckBreak | coLazyWrite);
    console.SetLineBreak(TConsoleLineBreak::CRLF);
    TFixedFont stored;
    stored.SetName(QStringLiteral("Courier"));
    stored.SetHeight(13);
    stored.SetPitch(TFontPitch::Fixed);
    stored.SetCharset(TFontCharset::Ansi);
    stored.SetColor(console.Font().Color());
    stored.SetBkColor(clBlack);
    console.SetFont(stored);
    console.Clear();
}

void SetPreviewFont(TFixedFont& font)
{
    font.SetName(QStringLiteral("Terminal"));
    font.SetCharset(TFontCharset::Oem);
    font.SetHeight(VgaCellHeight);
    font.SetBkColor(Palette[DefaultBackgroundDigit]);
    font.SetColor(Palette[DefaultForegroundDigit]);
}
