#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reading and writing files without losing or mangling them, also by names
// that Qt's strings cannot hold. Every failure carries the system's own
// reason ("No space left on device", "File too large", "Permission denied").

// Replaces a file's bytes and keeps what the file is. A regular file that
// only we own, with one name, in a folder we may write, is replaced
// atomically (a failed save leaves it as it was, and no temporary file
// behind) and keeps its mode. Where a rename would lose something (a second
// hard link, another owner or group, a folder we cannot write) the file is
// written in place instead: the room for the new bytes is taken first, so a
// full disk or a file size limit stops the save before anything changed,
// and the old bytes are put back if a later write fails after all. A
// symbolic link is followed and stays a link. Device nodes, FIFOs and the
// like are written plainly, never renamed over.
struct SaveFailure {
    enum class Stage { Create, Write } stage;
    QString path; // the file actually written
    QString reason; // the system's words
};
std::optional<SaveFailure> SaveBytes(const QString& path, const QByteArray& bytes);
std::optional<SaveFailure> SaveBytesNative(const QByteArray& nativeName, const QByteArray& bytes);

// "<path>": reason, as error boxes show it below their message.
QString FailureDetail(const SaveFailure& failure);

// What a read accepts. A regular file always; a device or pipe only where
// the user named it as input on purpose, since a FIFO with no writer would
// block for ever.
enum class ReadableKinds { RegularFiles, AlsoStreams };

struct ReadFailure {
    enum class Kind { Open, NotAFile, TooLarge, Read } kind;
    QString reason; // the system's words, or what the file is instead
};
struct ReadOutcome {
    QByteArray bytes;
    std::optional<ReadFailure> failure;
};

// At most limit bytes of the file a name means, or a failure: never more
// is read, and the size of a regular file is looked at before anything is.
// The file is opened without blocking and its kind checked before reading,
// so a FIFO refused cannot hang the caller.
ReadOutcome ReadFileNative(const QByteArray& nativeName, qint64 limit, ReadableKinds kinds);
ReadOutcome ReadFile(const QString& path, qint64 limit, ReadableKinds kinds);
// Standard input up to limit bytes, waiting for input also when it was
// left non-blocking; "standard input is closed" when there is none.
ReadOutcome ReadStandardInput(qint64 limit);

// A name for messages: bytes that are not valid in the system's encoding as \xNN.
QString ShownName(const QByteArray& nativeName);
