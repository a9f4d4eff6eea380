#pragma once

#include <QPlainTextEdit>

// The document control. It holds the display file's bytes as the PC screen
// shows them (code page 437; a CR LF pair is a line break, a lone CR or LF
// a glyph), so the bytes it gives back are exactly the bytes it was given.
// Typed, pasted or dropped characters that have no code page 437 code are
// replaced by '?' and reported, never dropped silently.
//
// Qt lays out a whole block again for every change in it, so a line of a
// megabyte would take half a second a keystroke. Lines longer than a piece
// are held as several blocks: each block after the first of its line is
// marked in its block format (which undo restores) as continuing the line,
// and the joins between pieces are no line breaks.
class DocumentEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit DocumentEdit(QWidget* parent = nullptr);

    QByteArray Bytes() const;
    // The bytes of any document such a control holds, shown or not.
    static QByteArray BytesOf(const QTextDocument& document);
    // A document as this control holds them.
    static QTextDocument* NewDocument(QObject* parent);
    // Replaces the whole text; the undo history starts afresh and the
    // document counts as unmodified. The caret goes to the start.
    void SetBytes(QByteArrayView bytes);
    static void SetBytesOf(QTextDocument& document, QByteArrayView bytes);
    // The bytes of one visual line (as the control wraps it) and where it
    // starts, for a character position.
    struct VisualLine {
        int index = 0; // line number in the control's own layout
        int start = 0; // character position of its first character
        QByteArray bytes; // its text without a line break
    };
    VisualLine LineAt(int position) const;

    // Whether a block continues the line of the block before it.
    static bool ContinuesLine(const QTextBlock& block);
    // The text from one character position to another, pieces joined and
    // line breaks as '\n'.
    QString TextBetween(int from, int to) const;
    static QString TextOf(const QTextDocument& document, int from, int to);

    // Wrapped at the control's width (the default), or one line per line
    // with a horizontal scroll bar.
    void SetWrapLines(bool wrap);

    // Each line break is one character in the control and two bytes (CR LF)
    // in the document.
    qsizetype ByteOffsetOf(int position) const { return ByteOffsetOf(*document(), position); }
    int PositionOfByte(qsizetype offset) const { return PositionOfByte(*document(), offset); }
    static qsizetype ByteOffsetOf(const QTextDocument& document, int position);
    static int PositionOfByte(const QTextDocument& document, qsizetype offset);

    // Replaces a cursor's selection (or inserts at it) as one undo step:
    // each '\n' starts a line, and a selection across joins or line breaks
    // goes exactly as its bytes would.
    static void ReplaceSelection(QTextCursor& cursor, QStringView text);
    // Copies the selection and removes it.
    void Cut();

    // The local file that dropped data names, if it names one.
    static QString DroppedFile(const QMimeData* data);

signals:
    void KeyDown();
    void KeyUp();
    // Characters without a code page 437 code were replaced by '?'.
    void Replaced(const QString& characters);
    // A file was dropped on the document, to be opened, not inserted.
    void FileDropped(const QString& fileName);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    // The selection as it is, non-breaking spaces included.
    QMimeData* createMimeDataFromSelection() const override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    // A selection dragged within the document moves as its bytes.
    void dropEvent(QDropEvent* event) override;

private:
    static constexpr int PieceLength = 1024;
    // Inserts text at the cursor, over its selection: each '\n' starts a
    // line, long lines go in pieces.
    static void InsertLines(QTextCursor& cursor, QStringView text);
    // Qt merges the blocks of a removed selection into one with the format
    // of either end, depending on where the selection starts; the merged
    // block must continue a line exactly when the block where the
    // selection started did.
    static void RemoveSelection(QTextCursor& cursor);
    // The keys that delete: Backspace, Delete, the word and line deletions
    // and Cut. A join holds no byte, so Backspace and Delete step over it
    // and take the character beyond. False for every other key.
    bool Deleted(const QKeyEvent* event);
    // The text with every character that has no byte replaced by '?'.
    QString Representable(const QString& text);
};
