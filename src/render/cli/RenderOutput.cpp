#include "RenderOutput.h"

#include "common/FileAccess.h"
#include "preview/ScreenSnapshot.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <iostream>
#include <sys/stat.h>

namespace {

bool SameFile(const QByteArray& one, const QByteArray& other)
{
    struct stat a {
    }, b {};
    if (::stat(one.constData(), &a) == 0 && ::stat(other.constData(), &b) == 0)
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    const auto absolute = [](const QByteArray& name) {
        return QDir::cleanPath(QDir::current().absoluteFilePath(QFile::decodeName(name)));
    };
    return absolute(one) == absolute(other);
}

QByteArray ExtensionOf(const RenderArguments& arguments)
{
    using Format = RenderArguments::Format;
    if (arguments.check)
        return arguments.format == Format::Json ? "check.json" : "check";
    switch (arguments.format) {
    case Format::Json: return "json";
    case Format::Ansi: return "ans";
    case Format::Png: return "png";
    case Format::Serial: return "txt";
    case Format::Ans: return "ans";
    case Format::Msg: return "msg";
    case Format::Text: break;
    }
    return "txt";
}

}

int Fail(const QString& message)
{
    Tell(message);
    return 1;
}

void Tell(const QString& message) { std::fprintf(stderr, "glimra-render: %s\n", qPrintable(message)); }

QByteArray Destination(const RenderArguments& arguments, const QByteArray& input)
{
    if (arguments.outputDir.isEmpty())
        return arguments.output;
    const QByteArray name = input == "-" ? QByteArray("stdin") : input.mid(input.lastIndexOf('/') + 1);
    QByteArray folder = arguments.outputDir;
    if (!folder.endsWith('/'))
        folder += '/';
    return folder + name + '.' + ExtensionOf(arguments);
}

int Write(const QByteArray& destination, const QByteArray& result)
{
    if (destination.isEmpty()) {
        std::cout.write(result.constData(), result.size()).flush();
        return std::cout ? 0 : Fail(QStringLiteral("cannot write the output"));
    }
    if (const std::optional<SaveFailure> failure = SaveBytesNative(destination, result))
        return Fail(QStringLiteral("cannot write %1: %2").arg(ShownName(destination), failure->reason));
    return 0;
}

std::optional<QString> OutputClash(const RenderArguments& arguments)
{
    if (arguments.inputs.count("-") > 1)
        return QStringLiteral("standard input (-) is named more than once");
    QByteArrayList outputs;
    if (arguments.outputDir.isEmpty() && !arguments.output.isEmpty())
        outputs << arguments.output;
    for (const QByteArray& input : arguments.outputDir.isEmpty() ? QByteArrayList() : arguments.inputs) {
        const QByteArray output = Destination(arguments, input);
        for (const QByteArray& earlier : std::as_const(outputs)) {
            if (SameFile(earlier, output))
                return QStringLiteral("two inputs would be written to %1").arg(ShownName(output));
        }
        outputs << output;
    }
    for (const QByteArray& output : std::as_const(outputs)) {
        for (const QByteArray& input : arguments.inputs) {
            if (input != "-" && SameFile(output, input))
                return QStringLiteral("the output %1 would replace the input %2")
                    .arg(ShownName(output), ShownName(input));
        }
    }
    return std::nullopt;
}

QByteArray ScreenText(const RenderArguments& arguments, const ScreenSnapshot& screen, bool boot)
{
    if (arguments.format == RenderArguments::Format::Json)
        return screen.ToJson(boot);
    // https://no-color.org: colour stays off when NO_COLOR is set and not empty.
    return qEnvironmentVariableIsEmpty("NO_COLOR") ? screen.ToAnsi(arguments.Blinks() || arguments.Vm())
                                                   : screen.ToText();
}
