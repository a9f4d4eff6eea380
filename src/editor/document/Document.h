#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>

class QTextDocument;

// What tells that another program changed a file.
struct FileStamp {
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const FileStamp&) const = default;
    static FileStamp Of(const QString& fileName);
};

// One open document: its text (with its own undo and modified state), the
// file it is saved to, that file's stamp when it was read or written, its
// line breaks, and where its caret stood when another was shown.
class Document : public QObject {
    Q_OBJECT

public:
    explicit Document(QObject* parent = nullptr);

    QTextDocument& Text() const { return *m_text; }
    QByteArray Bytes() const;
    // The folder of the file, where its images are looked up; empty until
    // the document has one.
    QString Folder() const;

    QString saveTarget; // empty until opened from or saved to a file
    int untitled = 1; // while it names no file: "Untitled" (1), "Untitled 2" ...
    FileStamp savedStamp;
    bool lfFile = false; // every line break of the opened file was a lone LF
    // A configuration's file as last read or written: it is saved with the
    // line breaks these bytes have. Nothing for a display file.
    std::optional<QByteArray> breaksFrom;
    int caretAnchor = 0;
    int caretPosition = 0;

private:
    QTextDocument* m_text;
};
