#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

// Reading and writing files without losing or mangling them, also by names
// that Qt's strings cannot hold.

// Replaces a file's bytes and keeps what the file is. A regular file that
// only we own, with one name, in a folder we may write, is replaced
// atomically (a failed save leaves it as it was, and no temporary file
// behind) and keeps its mode. Where a rename would lose something (a second
// hard link, another owner or group, a folder we cannot write) the file is
// written in place instead, its old bytes kept in memory and put back if
// the write fails. A symbolic link is followed and stays a link. Device
// nodes, FIFOs and the like are written plainly, never renamed over.
struct SaveFailure {
    enum class Stage { Create, Write } stage;
    QString path; // the file actually written
    QString reason; // the system's words
};
std::optional<SaveFailure> SaveBytes(const QString& path, const QByteArray& bytes);

// "<path>": reason, as error boxes show it below their message.
QString FailureDetail(const SaveFailure& failure);

// At most limit bytes of an open file, or nothing when it holds more. The
// size of a regular file is looked at before anything is read; anything
// else (a pipe, a device, standard input) is read up to one byte past the
// limit, so an endless input cannot exhaust memory.
std::optional<QByteArray> ReadAtMost(QFileDevice& file, qint64 limit);

// File names as the operating system gives them, bytes, also those that
// Qt's QString names cannot hold (not valid in the system's encoding).
// Opens for reading; the system's reason when that fails.
std::optional<QString> OpenNative(QFile& file, const QByteArray& nativeName);
// As SaveBytes; a name Qt cannot hold is written plainly.
std::optional<SaveFailure> SaveBytesNative(const QByteArray& nativeName, const QByteArray& bytes);
// A name for messages: bytes that are not valid in the system's encoding as \xNN.
QString ShownName(const QByteArray& nativeName);
