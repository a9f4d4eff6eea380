// Start-up: the command line (read before anything needs a display), the
// four windows in their order, the main window shown with the file the
// command line names, and the event loop until the main window closes.
#include "editor/window/About.h"
#include "editor/window/Glavna.h"
#include "editor/window/NARH.h"
#include "editor/window/ProgramIcon.h"
#include "editor/window/ProgramOptions.h"
#include "preview/Preview.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

struct CommandLine {
    int exitStatus = -1; // set when the program ends here
    QString file;
    QByteArray rawFile; // as the system gave it
};

CommandLine Parse(int argc, char* argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("An editor for the display files of SYSLINUX and ISOLINUX."));
    parser.addOptions(GlimraOptions());
    parser.addPositionalArgument(QStringLiteral("file"),
        QStringLiteral("A display file, or a boot configuration, to open."), QStringLiteral("[FILE]"));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // Without an application object Qt cannot know the program's name.
    const QString help = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("glimra"));
    CommandLine result;
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        const QString error
            = parser.errorText().isEmpty() ? QStringLiteral("only one file can be opened") : parser.errorText();
        std::fprintf(stderr, "glimra: %s\n%s", qPrintable(error), qPrintable(help));
        result.exitStatus = 2;
    } else if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(help), stdout);
        result.exitStatus = 0;
    } else if (parser.isSet(QStringLiteral("version"))) {
        std::printf("glimra %s\n", GLIMRA_VERSION);
        result.exitStatus = 0;
    } else if (!parser.positionalArguments().isEmpty()) {
        result.file = parser.positionalArguments().front();
        result.rawFile = argv[argc - 1];
    }
    return result;
}

}

int main(int argc, char* argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("Glimra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GLIMRA_VERSION));
    const CommandLine commandLine = Parse(argc, argv);
    if (commandLine.exitStatus >= 0)
        return commandLine.exitStatus;

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Glimra"));
    QApplication::setApplicationDisplayName(QStringLiteral("Glimra"));
    QApplication::setWindowIcon(ProgramIcon());

    TGlavna glavna;
    TNARHForm help(&glavna);
    TAboutBox about(&glavna);
    TPreviewFR preview;
    glavna.ConnectWindows(help, about, preview);

    glavna.show();
    if (!commandLine.file.isEmpty())
        glavna.OpenAtStart(commandLine.file, commandLine.rawFile);
    return application.exec();
}
