#include "editor/document/DocumentEdit.h"

#include "format/Cp437.h"

#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextLayout>
#include <QUrl>

DocumentEdit::DocumentEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

namespace {

constexpr int ContinuesLineProperty = QTextFormat::UserProperty + 1;

QTextBlockFormat BlockFormat(bool continuesLine)
{
    QTextBlockFormat format;
    if (continuesLine)
        format.setProperty(ContinuesLineProperty, true);
    return format;
}

}

bool DocumentEdit::ContinuesLine(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(ContinuesLineProperty);
}

void DocumentEdit::RemoveSelection(QTextCursor& cursor)
{
    if (!cursor.hasSelection())
        return;
    const bool continues = ContinuesLine(cursor.document()->findBlock(cursor.selectionStart()));
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    if (ContinuesLine(cursor.block()) != continues)
        cursor.setBlockFormat(BlockFormat(continues));
    cursor.endEditBlock();
}

void DocumentEdit::ReplaceSelection(QTextCursor& cursor, QStringView text) { InsertLines(cursor, text); }

void DocumentEdit::InsertLines(QTextCursor& cursor, QStringView text)
{
    cursor.beginEditBlock();
    RemoveSelection(cursor);
    bool first = true;
    for (QStringView line : text.split(u'\n')) {
        if (!first)
            cursor.insertBlock(BlockFormat(false));
        first = false;
        // Room left in the cursor's block before it is a piece long.
        qsizetype room = std::max(0, PieceLength - (cursor.position() - cursor.block().position()));
        while (line.size() > room) {
            cursor.insertText(line.first(room).toString());
            cursor.insertBlock(BlockFormat(true));
            line = line.sliced(room);
            room = PieceLength;
        }
        cursor.insertText(line.toString());
    }
    cursor.endEditBlock();
}

// The block texts are raw: plain text would turn byte 0xFF, the
// non-breaking space, into an ordinary space.
QString DocumentEdit::TextBetween(int from, int to) const { return TextOf(*document(), from, to); }

QString DocumentEdit::TextOf(const QTextDocument& document, int from, int to)
{
    QString text;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() <= to; block = block.next()) {
        if (block.position() > from && !ContinuesLine(block))
            text += u'\n';
        const int start = std::max(from, block.position());
        const int end = std::min(to, block.position() + block.length() - 1);
        text += QStringView(block.text()).sliced(start - block.position(), std::max(0, end - start));
    }
    return text;
}

QByteArray DocumentEdit::Bytes() const { return BytesOf(*document()); }

QByteArray DocumentEdit::BytesOf(const QTextDocument& document)
{
    return Cp437::EncodeDocument(TextOf(document, 0, document.characterCount() - 1)).bytes;
}

QTextDocument* DocumentEdit::NewDocument(QObject* parent)
{
    auto* document = new QTextDocument(parent);
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    return document;
}

void DocumentEdit::SetBytes(QByteArrayView bytes)
{
    SetBytesOf(*document(), bytes);
    setTextCursor(QTextCursor(document()));
}

void DocumentEdit::SetBytesOf(QTextDocument& document, QByteArrayView bytes)
{
    document.setUndoRedoEnabled(false);
    document.clear();
    QTextCursor start(&document);
    InsertLines(start, Cp437::DecodeDocument(bytes));
    document.setUndoRedoEnabled(true);
    document.setModified(false);
}

DocumentEdit::VisualLine DocumentEdit::LineAt(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    VisualLine line;
    line.start = block.position();
    QString text = block.text();
    if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine visual = layout->lineForTextPosition(position - block.position());
        if (visual.isValid()) {
            line.index = block.firstLineNumber() + visual.lineNumber();
            line.start += visual.textStart();
            text = text.mid(visual.textStart(), visual.textLength());
        }
    } else {
        line.index = block.firstLineNumber();
    }
    line.bytes = Cp437::EncodeDocument(text).bytes;
    return line;
}

void DocumentEdit::SetWrapLines(bool wrap)
{
    setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(wrap ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

// A line break is one character and two bytes; the join of two pieces is
// one character and no byte.
qsizetype DocumentEdit::ByteOffsetOf(const QTextDocument& document, int position)
{
    qsizetype offset = position;
    const QTextBlock last = document.findBlock(position);
    for (QTextBlock block = document.firstBlock(); block != last; block = block.next())
        offset += ContinuesLine(block.next()) ? -1 : 1;
    return offset;
}

int DocumentEdit::PositionOfByte(const QTextDocument& document, qsizetype offset)
{
    qsizetype blockBytes = 0; // the byte offset of the block's first character
    QTextBlock block = document.firstBlock();
    for (; block.next().isValid(); block = block.next()) {
        const qsizetype next = blockBytes + block.length() - 1 + (ContinuesLine(block.next()) ? 0 : 2);
        if (next > offset)
            break;
        blockBytes = next;
    }
    return block.position() + static_cast<int>(std::min<qsizetype>(offset - blockBytes, block.length() - 1));
}

QString DocumentEdit::Representable(const QString& text)
{
    const Cp437::InsertedText inserted = Cp437::Insertable(text);
    if (!inserted.unmappable.isEmpty())
        emit Replaced(inserted.unmappable);
    return inserted.text;
}

void DocumentEdit::keyPressEvent(QKeyEvent* event)
{
    emit KeyDown();
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (Deleted(event)) {
        event->accept();
        ensureCursorVisible();
        return;
    }
    const QString typed = event->text();
    const bool lineBreak = (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        && (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
    const bool printable = !typed.isEmpty() && typed.front().isPrint()
        && (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier)) == 0;
    if (lineBreak || printable) {
        // A new line starts here, not a piece of the line it breaks; a
        // selection goes as its bytes.
        const QString text = lineBreak ? QStringLiteral("\n") : Representable(typed);
        if (lineBreak || text != typed || textCursor().hasSelection()) {
            QTextCursor caret = textCursor();
            InsertLines(caret, text);
            setTextCursor(caret);
            ensureCursorVisible();
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool DocumentEdit::Deleted(const QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool backspace = event->key() == Qt::Key_Backspace && (modifiers & ~Qt::ShiftModifier) == 0;
    const bool forward = event->key() == Qt::Key_Delete && modifiers == Qt::NoModifier;
    const bool wordBack = event->matches(QKeySequence::DeleteStartOfWord);
    const bool wordForward = event->matches(QKeySequence::DeleteEndOfWord);
    const bool lineEnd = event->matches(QKeySequence::DeleteEndOfLine);
    const bool wholeLine = event->matches(QKeySequence::DeleteCompleteLine);
    if (event->matches(QKeySequence::Cut)) {
        Cut();
        return true;
    }
    if (!backspace && !forward && !wordBack && !wordForward && !lineEnd && !wholeLine)
        return false;
    QTextCursor caret = textCursor();
    if (!caret.hasSelection()) {
        const QTextDocument& text = *document();
        const auto joinStart = [&](int at) {
            const QTextBlock block = text.findBlock(at);
            return at == block.position() && ContinuesLine(block);
        };
        const auto joinEnd = [&](int at) {
            const QTextBlock block = text.findBlock(at);
            return at == block.position() + block.length() - 1 && ContinuesLine(block.next());
        };
        int from = caret.position(), to = from;
        if (backspace) {
            while (joinStart(from))
                --from;
            from = std::max(0, from - 1);
        } else if (forward) {
            while (joinEnd(to))
                ++to;
            to = std::min(text.characterCount() - 1, to + 1);
        } else if (wordBack || wordForward) {
            caret.movePosition(wordBack ? QTextCursor::PreviousWord : QTextCursor::EndOfWord, QTextCursor::KeepAnchor);
            if (wordForward && !caret.hasSelection())
                caret.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
        } else {
            if (wholeLine)
                caret.movePosition(QTextCursor::StartOfLine);
            caret.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
            if (!caret.hasSelection() && lineEnd)
                caret.setPosition(std::min(text.characterCount() - 1, caret.position() + 1), QTextCursor::KeepAnchor);
        }
        if (backspace || forward) {
            caret.setPosition(from);
            caret.setPosition(to, QTextCursor::KeepAnchor);
        }
    }
    RemoveSelection(caret);
    setTextCursor(caret);
    return true;
}

void DocumentEdit::Cut()
{
    if (isReadOnly() || !textCursor().hasSelection())
        return;
    copy();
    QTextCursor caret = textCursor();
    RemoveSelection(caret);
    setTextCursor(caret);
}

void DocumentEdit::dropEvent(QDropEvent* event)
{
    const bool inside = event->source() == this || event->source() == viewport();
    QTextCursor selection = textCursor();
    if (!inside || event->dropAction() != Qt::MoveAction || !selection.hasSelection() || isReadOnly()) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    // Ends the drop caret that the base class shows while dragging.
    QDragLeaveEvent leave;
    QPlainTextEdit::dragLeaveEvent(&leave);
    QTextCursor target = cursorForPosition(event->position().toPoint());
    event->setDropAction(Qt::MoveAction);
    event->accept();
    if (target.position() >= selection.selectionStart() && target.position() <= selection.selectionEnd())
        return;
    const QString moved = TextBetween(selection.selectionStart(), selection.selectionEnd());
    QTextCursor edit(document());
    edit.beginEditBlock();
    RemoveSelection(selection); // the target follows the text it stands in
    InsertLines(target, moved);
    edit.endEditBlock();
    setTextCursor(target);
}

void DocumentEdit::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    emit KeyUp();
}

void DocumentEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    if (!committed.isEmpty() && textCursor().hasSelection() && !isReadOnly() && event->preeditString().isEmpty()) {
        QTextCursor caret = textCursor();
        InsertLines(caret, Representable(committed));
        setTextCursor(caret);
        event->accept();
        return;
    }
    if (!committed.isEmpty()) {
        const QString representable = Representable(committed);
        if (representable != committed)
            event->setCommitString(representable, event->replacementStart(), event->replacementLength());
    }
    QPlainTextEdit::inputMethodEvent(event);
}

QMimeData* DocumentEdit::createMimeDataFromSelection() const
{
    auto* selection = new QMimeData;
    selection->setText(TextBetween(textCursor().selectionStart(), textCursor().selectionEnd()));
    return selection;
}

bool DocumentEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText() || !DroppedFile(source).isEmpty();
}

QString DocumentEdit::DroppedFile(const QMimeData* data)
{
    if (!data->hasUrls() || data->urls().isEmpty() || !data->urls().front().isLocalFile())
        return {};
    return data->urls().front().toLocalFile();
}

void DocumentEdit::insertFromMimeData(const QMimeData* source)
{
    if (const QString file = DroppedFile(source); !file.isEmpty()) {
        emit FileDropped(file);
        return;
    }
    if (!source->hasText())
        return;
    QTextCursor caret = textCursor();
    InsertLines(caret, Representable(source->text()));
    setTextCursor(caret);
    ensureCursorVisible();
}
