#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing display files as the File commands do. Errors are
// EFileError with the text the user sees.
namespace DocumentFile {

// The whole file as bytes: "Cannot open file "<path>". <reason>".
QByteArray Read(const QString& path);

// The bytes exactly, nothing added, the file kept what it is (links, owner,
// mode, a device), and a failed save leaves the old file as it was:
// "Cannot create file "<path>". <reason>" or "Stream write error", with the
// file and the system's reason as detail.
void Write(const QString& path, const QByteArray& bytes);

}
