#include "DirectiveCompletion.h"

#include "editor/document/DocumentEdit.h"
#include "editor/document/DocumentTabs.h"
#include "editor/document/EditorHost.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTextBlock>
#include <QTreeView>

namespace {

// The letters typed before the list opens by itself.
constexpr int LettersBeforeOffer = 2;

bool IsWordCharacter(QChar character) { return character.isLetterOrNumber() || character == u'_'; }

// The directives whose keywords start with typed, of the line's start or
// MENU's.
std::vector<const ConfigDirectives::Directive*> Starting(const QString& typed, bool afterMenu)
{
    std::vector<const ConfigDirectives::Directive*> found;
    for (const ConfigDirectives::Directive& directive : ConfigDirectives::All()) {
        if (directive.afterMenu != afterMenu)
            continue;
        const QString words = QString::fromLatin1(directive.words).mid(afterMenu ? 5 : 0);
        if (words.startsWith(typed, Qt::CaseInsensitive))
            found.push_back(&directive);
    }
    return found;
}

}

QString DirectiveChoice::Completed(const ConfigDirectives::Directive& directive) const
{
    QString words = QString::fromLatin1(directive.words);
    if (directive.afterMenu)
        words = words.mid(5);
    if (!typed.isEmpty() && typed[0].isLower())
        words = words.toLower();
    // A blank when the syntax goes on past the keywords.
    return QByteArray(directive.description->syntax).size() > directive.words.size() ? words + u' ' : words;
}

bool InHelpText(const std::function<std::optional<QString>()>& previous)
{
    static const QRegularExpression start(
        QStringLiteral("^[\\x01- ]*text[\\x01- ]+help(?:[\\x01- ]|$)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression end(
        QStringLiteral("^[\\x01- ]*endtext(?:[\\x01- ]|$)"), QRegularExpression::CaseInsensitiveOption);
    for (int back = 0; back < HelpTextLook; ++back) {
        const std::optional<QString> line = previous();
        if (!line || end.match(*line).hasMatch())
            return false;
        if (start.match(*line).hasMatch())
            return true;
    }
    return false;
}

std::optional<DirectiveChoice> DirectiveChoiceAt(const QString& line, int column, bool inHelpText)
{
    if (column < 0 || column > line.size() || (column < line.size() && IsWordCharacter(line[column])))
        return std::nullopt;
    int start = 0;
    while (start < column && line[start].unicode() <= ' ')
        ++start;
    // Keywords, each one blank apart: "TEXT HE", "MENU MASTER P".
    static const QRegularExpression words(QStringLiteral("^(?:[A-Za-z0-9_]+(?: [A-Za-z0-9_]*)*)?$"));
    static const QRegularExpression menu(QStringLiteral("^menu[\\x01- ]+"), QRegularExpression::CaseInsensitiveOption);
    QString typed = line.mid(start, column - start);
    bool afterMenu = false;
    if (const QRegularExpressionMatch match = menu.match(typed); match.hasMatch()) {
        afterMenu = true;
        start += static_cast<int>(match.capturedLength());
        typed = typed.mid(match.capturedLength());
    }
    if (!words.match(typed).hasMatch())
        return std::nullopt;
    DirectiveChoice choice { start, typed, Starting(typed, afterMenu) };
    if (inHelpText)
        std::erase_if(choice.directives, [](const auto* directive) { return directive->words != "ENDTEXT"; });
    if (choice.directives.empty())
        return std::nullopt;
    return choice;
}

DirectiveCompletion::DirectiveCompletion(EditorHost& host)
    : QObject(&host.Window())
    , m_host(host)
    , m_editor(host.Documents().Editor())
    , m_completer(new QCompleter(this))
    , m_model(new QStandardItemModel(this))
{
    auto* list = new QTreeView;
    list->setObjectName(QStringLiteral("directiveCompletions"));
    list->setRootIsDecorated(false);
    list->setHeaderHidden(true);
    list->setUniformRowHeights(true);
    list->setAlternatingRowColors(true);
    m_completer->setModel(m_model);
    m_completer->setPopup(list);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setWidget(&m_editor);
    m_completer->setMaxVisibleItems(12);
    // After the completer's own filter, so it sees Enter, Tab and Esc first.
    list->installEventFilter(this);
    m_editor.installEventFilter(this);
    connect(m_completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
        [this](const QModelIndex& index) { Complete(index.row()); });
    connect(&m_editor, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_completing && m_completer->popup()->isVisible())
            Offer(m_asked);
    });
    connect(&m_editor, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!m_completing && m_completer->popup()->isVisible())
            Offer(m_asked);
    });
}

bool DirectiveCompletion::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    QAbstractItemView* list = m_completer->popup();
    if (watched == list && list->isVisible()) {
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab: Complete(std::max(0, list->currentIndex().row())); return true;
        case Qt::Key_Escape: Hide(); return true;
        default: return false;
        }
    }
    if (watched != &m_editor)
        return false;
    if (key->key() == Qt::Key_Space && key->modifiers() == Qt::ControlModifier) {
        Offer(true);
        return true;
    }
    if (!key->text().isEmpty() && IsWordCharacter(key->text().back()))
        QMetaObject::invokeMethod(
            this, [this] { Offer(false); }, Qt::QueuedConnection);
    return false;
}

void DirectiveCompletion::Offer(bool asked)
{
    const QTextCursor caret = m_editor.textCursor();
    std::optional<DirectiveChoice> choice;
    if (!caret.hasSelection() && m_host.ShowsConfiguration() && !DocumentEdit::ContinuesLine(caret.block())) {
        const QTextBlock block = caret.block();
        QTextBlock line = block;
        const auto previous = [&line]() -> std::optional<QString> {
            line = line.previous();
            return line.isValid() ? std::optional<QString>(line.text()) : std::nullopt;
        };
        choice = DirectiveChoiceAt(block.text(), caret.positionInBlock(), InHelpText(previous));
    }
    const bool enough = choice && (asked || choice->typed.size() >= LettersBeforeOffer);
    if (!enough)
        return Hide();
    m_asked = asked;
    m_choice = std::move(choice);
    m_model->clear();
    for (const ConfigDirectives::Directive* directive : m_choice->directives) {
        auto* words = new QStandardItem(QString::fromLatin1(directive->words));
        const QString what = QString::fromLatin1(directive->description->what);
        auto* description = new QStandardItem(
            QStringLiteral("%1 \u2014 %2").arg(QString::fromLatin1(directive->description->syntax), what));
        for (QStandardItem* item : { words, description })
            item->setToolTip(what);
        m_model->appendRow({ words, description });
    }
    auto* list = static_cast<QTreeView*>(m_completer->popup());
    list->resizeColumnToContents(0);
    QRect place = m_editor.cursorRect();
    place.setWidth(std::min(m_editor.viewport()->width(), 720));
    m_completer->complete(place);
    list->setCurrentIndex(m_model->index(0, 0));
}

void DirectiveCompletion::Complete(int row)
{
    if (!m_choice || row < 0 || row >= static_cast<int>(m_choice->directives.size()))
        return Hide();
    const DirectiveChoice choice = *m_choice;
    const QString completed = choice.Completed(*choice.directives[static_cast<std::size_t>(row)]);
    Hide();
    QTextCursor caret = m_editor.textCursor();
    const int column = caret.positionInBlock();
    m_completing = true;
    caret.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, column - choice.start);
    caret.insertText(completed);
    m_editor.setTextCursor(caret);
    m_completing = false;
    // MENU goes on with one of its words.
    if (completed.trimmed().compare(u"menu", Qt::CaseInsensitive) == 0 && !choice.typed.contains(u' '))
        QMetaObject::invokeMethod(
            this, [this] { Offer(true); }, Qt::QueuedConnection);
}

void DirectiveCompletion::Hide()
{
    m_choice.reset();
    m_asked = false;
    if (m_completer->popup()->isVisible())
        m_completer->popup()->hide();
}
