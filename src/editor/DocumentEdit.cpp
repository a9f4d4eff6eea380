#include "DocumentEdit.h"

#include "format/Cp437.h"

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

// Wrapping at word boundaries looks back over the whole word for each line
// it breaks, so a word of a megabyte takes minutes to lay out. Text with a
// word that long makes the document wrap anywhere instead, in time that
// grows with its length only; chosen before the text is laid out.
void DocumentEdit::WrapFor(QStringView text)
{
    qsizetype word = 0;
    for (QChar character : text) {
        word = character.isSpace() ? 0 : word + 1;
        if (word >= LongWord) {
            setWordWrapMode(QTextOption::WrapAnywhere);
            return;
        }
    }
}

// Raw text: plain text would turn byte 0xFF, the non-breaking space, into
// an ordinary space.
QByteArray DocumentEdit::Bytes() const { return Cp437::EncodeDocument(document()->toRawText()).bytes; }

void DocumentEdit::SetBytes(QByteArrayView bytes)
{
    const QString text = Cp437::DecodeDocument(bytes);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    WrapFor(text);
    setPlainText(text);
    document()->setModified(false);
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

qsizetype DocumentEdit::ByteOffsetOf(int position) const
{
    return position + document()->findBlock(position).blockNumber();
}

// The block whose bytes hold the offset, found by halving: block n starts at
// byte position + n.
int DocumentEdit::PositionOfByte(qsizetype offset) const
{
    int low = 0;
    int high = document()->blockCount() - 1;
    while (low < high) {
        const int middle = (low + high + 1) / 2;
        const QTextBlock block = document()->findBlockByNumber(middle);
        if (block.position() + middle <= offset)
            low = middle;
        else
            high = middle - 1;
    }
    const QTextBlock block = document()->findBlockByNumber(low);
    const qsizetype inBlock = std::min<qsizetype>(offset - block.position() - low, block.length() - 1);
    return block.position() + static_cast<int>(inBlock);
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
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().isPrint() && !isReadOnly()) {
        const QString representable = Representable(typed);
        if (representable != typed) {
            insertPlainText(representable);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void DocumentEdit::keyReleaseEvent(QKeyEvent* event)
{
    QPlainTextEdit::keyReleaseEvent(event);
    emit KeyUp();
}

void DocumentEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
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
    selection->setText(textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
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
    const QString text = Representable(source->text());
    WrapFor(text);
    insertPlainText(text);
}
