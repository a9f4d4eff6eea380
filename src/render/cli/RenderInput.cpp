#include "RenderInput.h"

#include "common/FileAccess.h"

#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

bool StandardInputClosed()
{
    static const bool closed = [] {
        if (::fcntl(STDIN_FILENO, F_GETFD) >= 0 || errno != EBADF)
            return false;
        ::open("/dev/null", O_RDONLY); // holds descriptor 0 from now on
        return true;
    }();
    return closed;
}

std::optional<QByteArray> ReadInput(const QByteArray& nativeName, QString& error)
{
    if (nativeName == "-" && StandardInputClosed()) {
        error = QStringLiteral("standard input is closed");
        return std::nullopt;
    }
    const QString name = nativeName == "-" ? QStringLiteral("standard input") : ShownName(nativeName);
    const ReadOutcome read = nativeName == "-" ? ReadStandardInput(InputLimit)
                                               : ReadFileNative(nativeName, InputLimit, ReadableKinds::AlsoStreams);
    if (!read.failure)
        return read.bytes;
    if (read.failure->kind == ReadFailure::Kind::TooLarge)
        error
            = QStringLiteral("%1 holds more than %2 MiB, the most glimra-render reads").arg(name).arg(InputLimit >> 20);
    else if (read.failure->kind == ReadFailure::Kind::Read)
        error = QStringLiteral("cannot read %1: %2").arg(name, read.failure->reason);
    else if (nativeName == "-")
        error = read.failure->reason.toLower();
    else
        error = QStringLiteral("cannot open %1: %2").arg(name, read.failure->reason);
    return std::nullopt;
}

QString FolderOf(const QByteArray& input)
{
    return input == "-" ? QString() : QFileInfo(ShownName(input)).absolutePath();
}
