// Writes the manual pages from their templates: each option part from the
// table that the program's --help prints, glimra's shortcuts from the main
// window's own actions, so that no page can drift from the programs.
#include "editor/checks/FormatGuide.h"
#include "editor/window/Glavna.h"
#include "editor/window/ProgramOptions.h"
#include "render/cli/RenderArguments.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

// Text as roff shows it literally.
QString Roff(QString text)
{
    text.replace(u'\\', QStringLiteral("\\e")).replace(u'-', QStringLiteral("\\-"));
    if (text.startsWith(u'.') || text.startsWith(u'\''))
        text.prepend(QStringLiteral("\\&"));
    return text;
}

QString OptionPart(const QList<QCommandLineOption>& options)
{
    QString part;
    for (const QCommandLineOption& option : options) {
        QStringList names;
        for (const QString& name : option.names())
            names << QStringLiteral("\\fB%1%2\\fR").arg(name.size() == 1 ? "\\-" : "\\-\\-", Roff(name));
        QString item = names.join(QStringLiteral(", "));
        if (!option.valueName().isEmpty())
            item += QStringLiteral(" \\fI%1\\fR").arg(Roff(option.valueName()));
        QString description = Roff(option.description());
        if (!option.defaultValues().isEmpty())
            description += QStringLiteral(" The default is \\fB%1\\fR.").arg(Roff(option.defaultValues().join(u' ')));
        part += QStringLiteral(".TP\n%1\n%2\n").arg(item, description);
    }
    return part;
}

QString ShortcutPart()
{
    TGlavna window;
    QString part;
    for (const FormatGuide::Shortcut& shortcut : FormatGuide::Shortcuts(FormatGuide::ActionsOf(window))) {
        QStringList keys;
        for (const QString& key : shortcut.keys)
            keys << QStringLiteral("\\fB%1\\fR").arg(Roff(key));
        part += QStringLiteral(".TP\n%1\n%2\n").arg(keys.join(QStringLiteral(", ")), Roff(shortcut.name));
    }
    return part;
}

}

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The window reads settings as it starts; the builder's own stay untouched.
    QStandardPaths::setTestModeEnabled(true);
    const QStringList words = QCoreApplication::arguments();
    if (words.size() < 3) {
        std::fputs("usage: glimra-manuals TEMPLATE... FOLDER\n", stderr);
        return 2;
    }
    for (const QString& path : words.mid(1, words.size() - 2)) {
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "glimra-manuals: cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QString name = QFileInfo(path).completeBaseName(); // glimra.1.in -> glimra.1
        QString page = QString::fromUtf8(in.readAll());
        const QList<QCommandLineOption> options
            = name.startsWith(QStringLiteral("glimra-render")) ? RenderOptions().All() : GlimraOptions();
        page.replace(QStringLiteral("@OPTIONS@\n"), OptionPart(options));
        if (page.contains(QStringLiteral("@SHORTCUTS@\n")))
            page.replace(QStringLiteral("@SHORTCUTS@\n"), ShortcutPart());
        QFile out(words.constLast() + u'/' + name);
        if (!out.open(QIODevice::WriteOnly) || out.write(page.toUtf8()) < 0 || !out.flush()) {
            std::fprintf(stderr, "glimra-manuals: cannot write %s\n", qPrintable(out.fileName()));
            return 1;
        }
    }
    return 0;
}
