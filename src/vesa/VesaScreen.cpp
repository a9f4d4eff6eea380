#include "VesaScreen.h"

namespace Vesa {

MenuScreen DrawLoaderMenu(const MenuFrame& frame, const Font& font, const BackgroundReader& reader)
{
    bool read = false;
    QString problem;
    const PictureDecoder decode = [&](QByteArrayView bytes) -> std::optional<Picture> {
        read = true;
        Background background = reader(bytes, frame.width, frame.height);
        problem = background.problem;
        return std::move(background.screen);
    };
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
