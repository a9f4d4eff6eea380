#include "editor/widgets/CharacterTable.h"

#include "format/Cp437.h"

#include <QMouseEvent>

CharacterTable::CharacterTable(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setContextMenuPolicy(Qt::NoContextMenu);
}

QString CharacterTable::TableText()
{
    QString text;
    for (int code = 128; code <= 254; ++code)
        text += QChar(Cp437::ToUnicode(static_cast<std::uint8_t>(code))) + QStringLiteral("  ");
    return text;
}

void CharacterTable::mousePressEvent(QMouseEvent* event)
{
    QPlainTextEdit::mousePressEvent(event);
    m_pressed = event->button() == Qt::LeftButton;
}

void CharacterTable::mouseReleaseEvent(QMouseEvent* event)
{
    QPlainTextEdit::mouseReleaseEvent(event);
    const bool click = m_pressed && !m_afterDoubleClick && rect().contains(event->position().toPoint());
    m_pressed = false;
    m_afterDoubleClick = false;
    if (click)
        emit Clicked();
}

// A word here is a character with the two spaces after it, as the desktop's
// edit controls count words: a double-click anywhere on a character or in
// its spaces selects from that character.
void CharacterTable::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_afterDoubleClick = true;
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    QTextCursor cursor = cursorForPosition(point);
    int under = cursor.position();
    if (point.x() < cursorRect(cursor).left() && under > 0)
        --under;
    const int start = std::min<int>(under - under % 3, document()->characterCount() - 1);
    cursor.setPosition(start);
    cursor.setPosition(std::min(start + 3, document()->characterCount() - 1), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    emit DoubleClicked();
}
