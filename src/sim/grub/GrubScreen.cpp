#include "GrubScreen.h"

#include <QRegularExpression>

namespace {

// The folder a theme's own files are named from.
QByteArray Folder(const QByteArray& themePath)
{
    const qsizetype slash = themePath.lastIndexOf('/');
    return slash < 0 ? QByteArray() : themePath.first(slash + 1);
}

}

Vesa::Picture DrawGrubMenu(
    const GrubFileReader& files, const QByteArray& themePath, const GrubMenuView& view, int width, int height)
{
    (void)view;
    Vesa::Picture screen(width, height);
    const std::optional<QByteArray> theme = files(themePath);
    if (!theme)
        return screen;
    static const QRegularExpression desktop(
        QStringLiteral("^\\s*desktop-image\\s*:\\s*\"([^\"]*)\""), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = desktop.match(QString::fromUtf8(*theme));
    if (!match.hasMatch())
        return screen;
    const std::optional<QByteArray> png = files(Folder(themePath) + match.captured(1).toUtf8());
    if (!png)
        return screen;
    if (const std::optional<Vesa::Picture> image = Vesa::DecodePng(*png);
        image && image->width == width && image->height == height)
        screen = *image;
    return screen;
}
