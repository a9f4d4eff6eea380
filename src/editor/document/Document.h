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
// line breaks, and where its caret stood when another was shown. Features
// follow it by Changed, whether or not the editor shows it.
class Document : public QObject {
    Q_OBJECT

public:
    explicit Document(QObject* parent = nullptr);

    QTextDocument& Text() const { return *m_text; }
    QByteArray Bytes() const;
    // Replaces the whole text; the undo history starts afresh, the
    // document counts as unmodified, and a caret on it goes to the start.
    void SetBytes(QByteArrayView bytes);
    // Replaces the text by other bytes as one undo step, only the bytes that
    // differ (a line break whole), so that a view of it keeps its place.
    void Rewrite(const QByteArray& bytes);
    // Each line break is one character of the text and two bytes (CR LF).
    qsizetype ByteOffsetOf(int position) const;
    int PositionOfByte(qsizetype offset) const;
    // The folder of the file, where its images are looked up; empty until
    // the document has one.
    QString Folder() const;
    // Names no file and holds nothing: what a file or art may be opened into.
    bool IsBlank() const;

    QString saveTarget; // empty until opened from or saved to a file
    int untitled = 1; // while it names no file: "Untitled" (1), "Untitled 2" ...
    FileStamp savedStamp;
    bool lfFile = false; // every line break of the opened file was a lone LF
    // A configuration's file as last read or written: it is saved with the
    // line breaks these bytes have. Nothing for a display file.
    std::optional<QByteArray> breaksFrom;
    int caretAnchor = 0;
    int caretPosition = 0;

signals:
    // The text changed: typed, pasted, undone, replaced or read anew.
    void Changed();
    // SetBytes replaced the whole text (after Changed).
    void Replaced();

private:
    QTextDocument* m_text;
};
