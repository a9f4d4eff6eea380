// Writes the program icon as PNG files for the icon theme: DIR/SIZE.png for
// each size given, from the same painting as the running program's icon.
#include "editor/window/ProgramIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList words = QCoreApplication::arguments();
    if (words.size() < 3) {
        std::fputs("usage: glimra-icon-pngs DIR SIZE...\n", stderr);
        return 2;
    }
    const QIcon icon = ProgramIcon();
    for (const QString& size : words.mid(2)) {
        const int pixels = size.toInt();
        if (!icon.pixmap(pixels, pixels).save(QDir(words[1]).filePath(size + ".png"))) {
            std::fprintf(stderr, "glimra-icon-pngs: cannot write %s.png\n", qPrintable(size));
            return 1;
        }
    }
    return 0;
}
