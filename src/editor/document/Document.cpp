#include "editor/document/Document.h"

#include "editor/document/DocumentEdit.h"
#include "format/Cp437.h"
#include "format/DisplayCodes.h"

#include <QFileInfo>
#include <QTextCursor>
#include <QTextDocument>

Document::Document(QObject* parent)
    : QObject(parent)
    , m_text(DocumentEdit::NewDocument(this))
{
    connect(m_text, &QTextDocument::contentsChanged, this, &Document::Changed);
}

QByteArray Document::Bytes() const { return DocumentEdit::BytesOf(*m_text); }

void Document::SetBytes(QByteArrayView bytes)
{
    DocumentEdit::SetBytesOf(*m_text, bytes);
    emit Replaced();
}

qsizetype Document::ByteOffsetOf(int position) const { return DocumentEdit::ByteOffsetOf(*m_text, position); }

int Document::PositionOfByte(qsizetype offset) const { return DocumentEdit::PositionOfByte(*m_text, offset); }

void Document::Rewrite(const QByteArray& bytes)
{
    const QByteArray old = Bytes();
    qsizetype prefix = 0;
    const qsizetype shorter = std::min(old.size(), bytes.size());
    while (prefix < shorter && old[prefix] == bytes[prefix])
        ++prefix;
    // A line break is one character: never split a CR LF pair.
    if (prefix > 0 && old[prefix - 1] == DisplayCode::CR)
        --prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix && old[old.size() - 1 - suffix] == bytes[bytes.size() - 1 - suffix])
        ++suffix;
    if (suffix > 0 && old[old.size() - suffix] == DisplayCode::LF)
        --suffix;
    QTextCursor cursor(m_text);
    // Inside an edit block a cursor does not lay its line out to learn
    // its x, which would cost more than the rest of the step.
    cursor.beginEditBlock();
    cursor.setPosition(PositionOfByte(prefix));
    cursor.setPosition(PositionOfByte(old.size() - suffix), QTextCursor::KeepAnchor);
    DocumentEdit::ReplaceSelection(cursor, Cp437::DecodeDocument(bytes.sliced(prefix, bytes.size() - prefix - suffix)));
    cursor.endEditBlock();
    if (Bytes() != bytes) {
        // Lone CRs and LFs at the seams: the whole text instead.
        m_text->undo();
        cursor.select(QTextCursor::Document);
        DocumentEdit::ReplaceSelection(cursor, Cp437::DecodeDocument(bytes));
    }
}

QString Document::Folder() const { return saveTarget.isEmpty() ? QString() : QFileInfo(saveTarget).absolutePath(); }

bool Document::IsBlank() const { return saveTarget.isEmpty() && m_text->isEmpty(); }

FileStamp FileStamp::Of(const QString& fileName)
{
    const QFileInfo file(fileName);
    return { file.size(), file.lastModified() };
}
