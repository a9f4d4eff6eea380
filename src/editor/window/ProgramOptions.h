#pragma once

#include <QCommandLineOption>
#include <QList>

// glimra's options, in the order that --help and the manual page list them.
inline QList<QCommandLineOption> GlimraOptions()
{
    return { QCommandLineOption(
                 { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Shows the options and ends.")),
        QCommandLineOption(QStringLiteral("version"), QStringLiteral("Shows the version and ends.")) };
}
