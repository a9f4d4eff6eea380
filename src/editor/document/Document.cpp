#include "editor/document/Document.h"

#include "editor/document/DocumentEdit.h"

#include <QFileInfo>

Document::Document(QObject* parent)
    : QObject(parent)
    , m_text(DocumentEdit::NewDocument(this))
{
}

QByteArray Document::Bytes() const { return DocumentEdit::BytesOf(*m_text); }

QString Document::Folder() const { return saveTarget.isEmpty() ? QString() : QFileInfo(saveTarget).absolutePath(); }

FileStamp FileStamp::Of(const QString& fileName)
{
    const QFileInfo file(fileName);
    return { file.size(), file.lastModified() };
}
