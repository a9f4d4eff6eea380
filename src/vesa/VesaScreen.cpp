#include "VesaScreen.h"

namespace Vesa {

namespace {

// What a module that does not tile leaves beside and below the picture: black.
void Untile(Picture& screen, int width, int height)
{
    for (int y = 0; y < screen.height; ++y) {
        for (int x = y < height ? width : 0; x < screen.width; ++x)
            screen.At(x, y) = 0;
    }
}

}

MenuScreen DrawLoaderMenu(const MenuFrame& frame, const Font& font, const BackgroundReader& reader)
{
    bool read = false;
    QString problem;
    const PictureDecoder decode = [&](QByteArrayView bytes) -> std::optional<Picture> {
        read = true;
        Background background = reader(bytes, frame.width, frame.height);
        problem = background.problem;
        if (!frame.tiles && background.width > 0 && background.height > 0)
            Untile(background.screen, background.width, background.height);
        return std::move(background.screen);
    };
    if (frame.blackWithoutBackground && frame.background.isEmpty())
        return { Picture(frame.width, frame.height), {} };
    MenuScreen screen { DrawMenu(frame, font, decode), {} };
    const QByteArray& name = frame.background;
    if (!read && !name.isEmpty() && !name.startsWith('#'))
        problem = QStringLiteral("is not in the tree or cannot be read");
    if (!problem.isEmpty())
        screen.problem = QStringLiteral("MENU BACKGROUND %1: %2; what the loader does not read is black")
                             .arg(QString::fromLatin1(name), problem);
    return screen;
}

}
