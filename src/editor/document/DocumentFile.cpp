#include "editor/document/DocumentFile.h"

#include "common/FileAccess.h"
#include "editor/document/EditorErrors.h"

#include <QCoreApplication>
#include <QDir>

namespace DocumentFile {

QByteArray Read(const QString& path, qint64 limit)
{
    const ReadOutcome read = ReadFile(path, limit, ReadableKinds::RegularFiles);
    if (!read.failure)
        return read.bytes;
    if (read.failure->kind == ReadFailure::Kind::TooLarge)
        throw EFileError(QCoreApplication::translate("DocumentFile", "Text exceeds memo capacity"),
            QCoreApplication::translate("DocumentFile", "\"%1\" holds more than %2 MiB, the most the editor takes")
                .arg(QDir::toNativeSeparators(path))
                .arg(limit >> 20));
    throw EFileError(QCoreApplication::translate("DocumentFile", "Cannot open file \"%1\". %2")
                         .arg(QDir::toNativeSeparators(path), read.failure->reason));
}

void Write(const QString& path, const QByteArray& bytes)
{
    const std::optional<SaveFailure> failure = SaveBytes(path, bytes);
    if (!failure)
        return;
    if (failure->stage == SaveFailure::Stage::Create)
        throw EFileError(QCoreApplication::translate("DocumentFile", "Cannot create file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(path), failure->reason),
            FailureDetail(*failure));
    throw EFileError(QCoreApplication::translate("DocumentFile", "Stream write error. %1").arg(failure->reason),
        FailureDetail(*failure));
}

}
