#pragma once

#include "editor/document/Document.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class DocumentEdit;
class QTabBar;

// The open documents, as tabs above the one editor control, which shows
// the current one. With one document open no tab shows and the window
// looks as it always did.
class DocumentTabs : public QObject {
    Q_OBJECT

public:
    explicit DocumentTabs(DocumentEdit& editor);

    Document& Current() const { return *m_documents[static_cast<std::size_t>(m_current)]; }
    const std::vector<Document*>& Documents() const { return m_documents; }
    // The open document saved to a file, or nothing.
    Document* Find(const QString& file) const;
    // A new empty document after the others, made current.
    Document& Add();
    void Activate(const Document& document);
    // Takes a document away (not the last one); nothing is asked.
    void Remove(Document& document);
    // The documents with unsaved changes.
    std::vector<Document*> Unsaved() const;
    // The text of every open document saved to a file, by that file.
    QHash<QString, QByteArray> Texts() const;
    // A tab's title: the file's name, with as many of its folders as tell it
    // from another tab's file of that name; "Untitled", "Untitled 2" ... for
    // a document that names no file.
    QString Title(const Document& document) const;
    // The document names no file any more: the lowest untitled number free.
    void MakeUntitled(Document& document);
    QTabBar* Bar() const { return m_bar; }
    // The control that shows the current document.
    DocumentEdit& Editor() const { return m_editor; }

    // The tab texts again: a name or a modified state changed.
    void Relabel();

    // Calls changed with the document after every change of any open
    // document, shown or not, for as long as the receiver lives.
    void FollowEdits(QObject* receiver, std::function<void(Document&)> changed);

signals:
    // Another document is shown, or the current one was named anew.
    void CurrentChanged();
    // A tab's close button: the window asks before it calls Remove.
    void CloseRequested(Document* document);
    // The editor moved (a tab bar came or went): what shares its place follows.
    void EditorPlaced(const QRect& place);

private:
    void Show(int index);
    int IndexOf(const Document& document) const;
    // A new document among the tabs, followed as the others are.
    Document& Adopt(Document* document);
    struct Follower {
        QPointer<QObject> receiver;
        std::function<void(Document&)> changed;
    };
    void Follow(Document& document, const Follower& follower);

    DocumentEdit& m_editor;
    QTabBar* m_bar;
    std::vector<Document*> m_documents;
    std::vector<Follower> m_followers;
    int m_current = 0;
};
