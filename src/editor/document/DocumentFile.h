#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing display files as the File commands do. Errors are
// EFileError with the text the user sees.
namespace DocumentFile {

// The whole file as bytes: "Cannot open file "<path>". <reason>", or
// "Text exceeds memo capacity" for more than limit bytes, found out before
// reading them (a device or pipe is read up to the limit).
QByteArray Read(const QString& path, qint64 limit);

// The bytes exactly, nothing added, the file kept what it is (links, owner,
// mode, a device), and a failed save leaves the old file as it was:
// "Cannot create file "<path>". <reason>" or "Stream write error. <reason>", with the
// file and the system's reason as detail.
void Write(const QString& path, const QByteArray& bytes);

}
