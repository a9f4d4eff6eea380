// Start-up: the four windows in their order, the main window shown, and the
// event loop until the main window closes.
#include "About.h"
#include "Glavna.h"
#include "NARH.h"
#include "ProgramIcon.h"
#include "preview/Preview.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Glimra"));
    QApplication::setApplicationName(QStringLiteral("Glimra"));
    QApplication::setApplicationDisplayName(QStringLiteral("Glimra"));
    QApplication::setWindowIcon(ProgramIcon());

    TGlavna glavna;
    TNARHForm help(&glavna);
    TAboutBox about(&glavna);
    TPreviewFR preview;
    glavna.ConnectWindows(help, about, preview);

    glavna.show();
    return application.exec();
}
