#include "DocumentFile.h"

#include "EditorErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace DocumentFile {

QByteArray Read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QCoreApplication::translate("DocumentFile", "Cannot open file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EFileError(QCoreApplication::translate("DocumentFile", "Cannot open file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    return bytes;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EFileError(QCoreApplication::translate("DocumentFile", "Cannot create file \"%1\". %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        file.cancelWriting();
        throw EFileError(QCoreApplication::translate("DocumentFile", "Stream write error"));
    }
}

}
