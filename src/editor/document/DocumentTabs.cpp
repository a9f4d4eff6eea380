#include "editor/document/DocumentTabs.h"

#include "editor/document/DocumentEdit.h"

#include <QFileInfo>

#include <QTabBar>
#include <QTextBlock>
#include <algorithm>

namespace {

constexpr int BarHeight = 24;

}

DocumentTabs::DocumentTabs(DocumentEdit& editor)
    : QObject(&editor)
    , m_editor(editor)
    , m_bar(new QTabBar(editor.parentWidget()))
{
    m_bar->setObjectName(QStringLiteral("DocumentTabs"));
    m_bar->setTabsClosable(true);
    m_bar->setExpanding(false);
    m_bar->setDocumentMode(true);
    m_bar->setFocusPolicy(Qt::NoFocus);
    m_bar->hide();
    connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
        if (index >= 0 && index != m_current)
            Show(index);
    });
    connect(m_bar, &QTabBar::tabCloseRequested, this,
        [this](int index) { emit CloseRequested(m_documents[static_cast<std::size_t>(index)]); });
    Adopt(new Document(this));
    m_bar->addTab(QString());
    m_editor.setDocument(&m_documents.front()->Text());
    Relabel();
}

Document* DocumentTabs::Find(const QString& file) const
{
    for (Document* document : m_documents) {
        if (!document->saveTarget.isEmpty() && QFileInfo(document->saveTarget) == QFileInfo(file))
            return document;
    }
    return nullptr;
}

Document& DocumentTabs::Add()
{
    MakeUntitled(Adopt(new Document(this)));
    m_bar->addTab(QString());
    Show(static_cast<int>(m_documents.size()) - 1);
    return Current();
}

Document& DocumentTabs::Adopt(Document* document)
{
    m_documents.push_back(document);
    for (const Follower& follower : m_followers)
        Follow(*document, follower);
    // The editor's caret on a text replaced whole goes to its start, as after Open.
    connect(document, &Document::Replaced, this, [this, document] {
        if (document == &Current())
            m_editor.setTextCursor(QTextCursor(&document->Text()));
    });
    return *document;
}

void DocumentTabs::Activate(const Document& document) { Show(IndexOf(document)); }

void DocumentTabs::Remove(Document& document)
{
    const int index = IndexOf(document);
    if (m_documents.size() < 2 || index < 0)
        return;
    const bool current = index == m_current;
    if (current)
        Show(index == 0 ? 1 : index - 1);
    m_documents.erase(m_documents.begin() + index);
    if (m_current > index)
        --m_current;
    m_bar->blockSignals(true);
    m_bar->removeTab(index);
    m_bar->setCurrentIndex(m_current);
    m_bar->blockSignals(false);
    document.deleteLater();
    Relabel();
}

std::vector<Document*> DocumentTabs::Unsaved() const
{
    std::vector<Document*> unsaved;
    for (Document* document : m_documents) {
        if (document->Text().isModified())
            unsaved.push_back(document);
    }
    return unsaved;
}

QHash<QString, QByteArray> DocumentTabs::Texts() const
{
    QHash<QString, QByteArray> texts;
    for (const Document* document : m_documents) {
        if (!document->saveTarget.isEmpty())
            texts.insert(QFileInfo(document->saveTarget).absoluteFilePath(), document->Bytes());
    }
    return texts;
}

QString DocumentTabs::Title(const Document& document) const
{
    if (document.saveTarget.isEmpty())
        return document.untitled < 2 ? tr("Untitled") : tr("Untitled %1").arg(document.untitled);
    const auto parts = [](const Document& of) { return QFileInfo(of.saveTarget).absoluteFilePath().split(u'/'); };
    const QStringList own = parts(document);
    qsizetype shown = 1;
    for (const Document* other : m_documents) {
        if (other == &document || other->saveTarget.isEmpty())
            continue;
        const QStringList theirs = parts(*other);
        qsizetype same = 0;
        while (same < std::min(own.size(), theirs.size())
            && own[own.size() - 1 - same] == theirs[theirs.size() - 1 - same])
            ++same;
        if (same > 0)
            shown = std::max(shown, same + 1);
    }
    return own.mid(std::max<qsizetype>(0, own.size() - shown)).join(u'/');
}

void DocumentTabs::MakeUntitled(Document& document)
{
    document.saveTarget.clear();
    for (document.untitled = 1;; ++document.untitled) {
        const bool taken = std::any_of(m_documents.begin(), m_documents.end(), [&](const Document* other) {
            return other != &document && other->saveTarget.isEmpty() && other->untitled == document.untitled;
        });
        if (!taken)
            break;
    }
}

int DocumentTabs::IndexOf(const Document& document) const
{
    for (std::size_t index = 0; index < m_documents.size(); ++index) {
        if (m_documents[index] == &document)
            return static_cast<int>(index);
    }
    return -1;
}

// The editor shows another document, with its own caret, undo and
// modified state.
void DocumentTabs::Show(int index)
{
    if (index < 0 || index >= static_cast<int>(m_documents.size()))
        return;
    Document& leaving = Current();
    leaving.caretAnchor = m_editor.textCursor().anchor();
    leaving.caretPosition = m_editor.textCursor().position();
    m_current = index;
    Document& shown = Current();
    shown.Text().setDefaultFont(m_editor.font());
    m_editor.setDocument(&shown.Text());
    QTextCursor caret(&shown.Text());
    const int last = shown.Text().characterCount() - 1;
    caret.setPosition(std::min(shown.caretAnchor, last));
    caret.setPosition(std::min(shown.caretPosition, last), QTextCursor::KeepAnchor);
    m_editor.setTextCursor(caret);
    m_bar->blockSignals(true);
    m_bar->setCurrentIndex(index);
    m_bar->blockSignals(false);
    Relabel();
    emit CurrentChanged();
}

// Tabs show once there are two documents; the editor gives them room.
void DocumentTabs::Relabel()
{
    for (std::size_t index = 0; index < m_documents.size(); ++index) {
        const Document& document = *m_documents[index];
        m_bar->setTabText(static_cast<int>(index), Title(document) + (document.Text().isModified() ? "*" : ""));
        m_bar->setTabToolTip(static_cast<int>(index), document.saveTarget);
    }
    const bool tabs = m_documents.size() > 1;
    if (tabs == !m_bar->isHidden())
        return;
    QRect area = m_editor.geometry();
    if (tabs) {
        m_bar->setGeometry(area.x(), area.y(), area.width(), BarHeight);
        area.setTop(area.top() + BarHeight);
    } else {
        area.setTop(m_bar->geometry().top());
    }
    m_editor.setGeometry(area);
    m_bar->setVisible(tabs);
    emit EditorPlaced(area);
}

void DocumentTabs::FollowEdits(QObject* receiver, std::function<void(Document&)> changed)
{
    m_followers.push_back({ receiver, std::move(changed) });
    for (Document* document : m_documents)
        Follow(*document, m_followers.back());
}

void DocumentTabs::Follow(Document& document, const Follower& follower)
{
    if (follower.receiver)
        connect(&document, &Document::Changed, follower.receiver,
            [&document, changed = follower.changed] { changed(document); });
}
