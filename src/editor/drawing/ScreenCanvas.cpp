#include "editor/drawing/ScreenCanvas.h"

#include "editor/widgets/PcScreenFont.h"
#include "format/Cp437.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr int CellWidth = 9;
constexpr int CellHeight = 16;
constexpr int ScreenWidth = Screen::Columns * CellWidth;
constexpr int ScreenHeight = Screen::Rows * CellHeight;

Spot Clamped(Spot spot)
{
    return { std::clamp(spot.column, 0, Screen::Columns - 1), std::clamp(spot.row, 0, Screen::Rows - 1) };
}

}

ScreenCanvas::ScreenCanvas(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("ScreenCanvas"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setToolTip(tr("Draw on the loader's screen: type, drag to select, Ctrl+arrows to colour, Alt+arrows to draw "
                  "lines. The dotted boot: is where the loader prints its prompt."));
}

QSize ScreenCanvas::NaturalSize() { return { ScreenWidth + RulerWidth, ScreenHeight + RulerHeight }; }

void ScreenCanvas::Show(const Screen& screen, const QImage& picture, Spot prompt, const QByteArray& promptGlyphs)
{
    m_screen = screen;
    m_picture = picture;
    m_prompt = prompt;
    m_promptGlyphs = promptGlyphs;
    update();
}

void ScreenCanvas::ShowPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void ScreenCanvas::SetCursor(Spot cursor, bool extend, bool typing)
{
    m_cursor = Clamped(cursor);
    if (!extend)
        m_anchor = m_cursor;
    if (!typing)
        m_typingColumn = m_cursor.column;
    update();
    emit CursorMoved();
}

void ScreenCanvas::Select(const CellRect& selection)
{
    m_anchor = Clamped(selection.from);
    m_cursor = Clamped(selection.to);
    update();
    emit CursorMoved();
}

double ScreenCanvas::Scale() const
{
    const double scale
        = std::min(double(width() - RulerWidth) / ScreenWidth, double(height() - RulerHeight) / ScreenHeight);
    // Whole multiples keep every dot sharp; below one the picture shrinks smoothly.
    return scale >= 1 ? std::floor(scale) : std::max(scale, 0.1);
}

QRect ScreenCanvas::ScreenRectangle() const
{
    const double scale = Scale();
    return { RulerWidth, RulerHeight, int(std::lround(ScreenWidth * scale)), int(std::lround(ScreenHeight * scale)) };
}

QRect ScreenCanvas::CellRectangle(Spot cell) const
{
    const QRect screen = ScreenRectangle();
    const double across = double(screen.width()) / Screen::Columns;
    const double down = double(screen.height()) / Screen::Rows;
    const int left = screen.left() + int(std::lround(cell.column * across));
    const int top = screen.top() + int(std::lround(cell.row * down));
    return QRect(QPoint(left, top),
        QPoint(screen.left() + int(std::lround((cell.column + 1) * across)) - 1,
            screen.top() + int(std::lround((cell.row + 1) * down)) - 1));
}

std::optional<Spot> ScreenCanvas::CellAt(QPoint point) const
{
    const QRect screen = ScreenRectangle();
    if (!screen.contains(point))
        return std::nullopt;
    return Clamped({ int((point.x() - screen.left()) * Screen::Columns / std::max(screen.width(), 1)),
        int((point.y() - screen.top()) * Screen::Rows / std::max(screen.height(), 1)) });
}

// A drag that leaves the screen goes on along its edge.
Spot ScreenCanvas::NearestCell(QPoint point) const
{
    const QRect screen = ScreenRectangle();
    return *CellAt(
        { std::clamp(point.x(), screen.left(), screen.right()), std::clamp(point.y(), screen.top(), screen.bottom()) });
}

void ScreenCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window).darker(115));
    const QRect screen = ScreenRectangle();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, Scale() < 1);
    if (!m_picture.isNull())
        painter.drawImage(screen, m_picture);
    else
        painter.fillRect(screen, Qt::black);
    PaintRulers(painter);
    PaintPromptGhost(painter);
    const CellRect selection = Selection();
    const QRect selected = CellRectangle(selection.from).united(CellRectangle(selection.to));
    if (selection.from != selection.to) {
        painter.fillRect(selected, QColor(255, 255, 255, 60));
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(selected.adjusted(0, 0, -1, -1));
    }
    painter.setPen(QPen(hasFocus() ? QColor(255, 216, 0) : QColor(160, 160, 160), 2));
    painter.drawRect(CellRectangle(m_cursor).adjusted(1, 1, -1, -1));
}

void ScreenCanvas::PaintRulers(QPainter& painter)
{
    const QColor mark = palette().color(QPalette::Highlight);
    const QRect column = CellRectangle({ m_cursor.column, 0 });
    const QRect row = CellRectangle({ 0, m_cursor.row });
    if (m_rulers.size() != size() * devicePixelRatio()) {
        m_rulers = QPixmap(size() * devicePixelRatio());
        m_rulers.setDevicePixelRatio(devicePixelRatio());
        m_rulers.fill(Qt::transparent);
        QPainter rulers(&m_rulers);
        PaintRulerMarks(rulers);
    }
    painter.fillRect(column.left(), 0, column.width(), RulerHeight - 1, mark);
    painter.fillRect(0, row.top(), RulerWidth - 1, row.height(), mark);
    painter.drawPixmap(0, 0, m_rulers);
}

void ScreenCanvas::PaintRulerMarks(QPainter& painter)
{
    const QRect screen = ScreenRectangle();
    QFont small = font();
    small.setPixelSize(9);
    painter.setFont(small);
    const QColor ink = palette().color(QPalette::WindowText);
    for (int column = 0; column < Screen::Columns; ++column) {
        const QRect cell = CellRectangle({ column, 0 });
        const int number = column + 1;
        painter.setPen(ink);
        const int tick = number % 10 == 0 ? 6 : number % 5 == 0 ? 4 : 2;
        painter.drawLine(cell.center().x(), RulerHeight - 1 - tick, cell.center().x(), RulerHeight - 1);
        if (number % 10 == 0 || number == 1)
            painter.drawText(
                QRect(cell.center().x() - 12, 0, 24, RulerHeight - 5), Qt::AlignCenter, QString::number(number));
    }
    for (int row = 0; row < Screen::Rows; ++row) {
        const QRect cell = CellRectangle({ 0, row });
        painter.setPen(ink);
        painter.drawText(QRect(0, cell.top(), RulerWidth - 4, cell.height()), Qt::AlignRight | Qt::AlignVCenter,
            QString::number(row + 1));
    }
    painter.setPen(ink);
    painter.drawLine(screen.left() - 1, screen.top() - 1, screen.right(), screen.top() - 1);
    painter.drawLine(screen.left() - 1, screen.top() - 1, screen.left() - 1, screen.bottom());
}

// The prompt is the loader's, not the file's: drawn faint, dotted round.
void ScreenCanvas::PaintPromptGhost(QPainter& painter)
{
    const QRect screen = ScreenRectangle();
    painter.save();
    painter.setFont(PcScreenFont(QStringLiteral("Px IBM VGA9"), std::max(CellRectangle({ 0, 0 }).height(), 6)));
    Spot spot = m_prompt;
    QRect ghost;
    for (const char glyph : std::as_const(m_promptGlyphs)) {
        if (spot.column >= Screen::Columns)
            spot = { 0, spot.row + 1 };
        if (spot.row >= Screen::Rows)
            break;
        const QRect cell = CellRectangle(spot);
        // The loader prints it in colour 07: grey on black.
        painter.fillRect(cell, QColor(0, 0, 0, 140));
        painter.setPen(QColor(170, 170, 170, 170));
        painter.drawText(cell, Qt::AlignCenter, QString(QChar(Cp437::ToUnicode(static_cast<std::uint8_t>(glyph)))));
        ghost |= cell;
        ++spot.column;
    }
    if (!ghost.isEmpty()) {
        painter.setPen(QPen(QColor(170, 170, 170, 150), 1, Qt::DotLine));
        painter.drawRect(ghost.intersected(screen).adjusted(0, 0, -1, -1));
    }
    painter.restore();
}

bool ScreenCanvas::Moved(QKeyEvent* event)
{
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    const bool control = event->modifiers() & Qt::ControlModifier;
    Spot next = m_cursor;
    switch (event->key()) {
    case Qt::Key_Left: --next.column; break;
    case Qt::Key_Right: ++next.column; break;
    case Qt::Key_Up: --next.row; break;
    case Qt::Key_Down: ++next.row; break;
    case Qt::Key_Home: next = { 0, control ? 0 : next.row }; break;
    case Qt::Key_End: next = { Screen::Columns - 1, control ? Screen::Rows - 1 : next.row }; break;
    case Qt::Key_PageUp: next.row = 0; break;
    case Qt::Key_PageDown: next.row = Screen::Rows - 1; break;
    default: return false;
    }
    const bool arrow = event->key() >= Qt::Key_Left && event->key() <= Qt::Key_Down;
    if (arrow && control) {
        const int step = event->key() == Qt::Key_Left || event->key() == Qt::Key_Up ? -1 : 1;
        const bool foreground = event->key() == Qt::Key_Up || event->key() == Qt::Key_Down;
        emit ColourStep(foreground ? step : 0, foreground ? 0 : step);
        return true;
    }
    next = Clamped(next);
    if (arrow && alt) {
        if (next != m_cursor)
            emit LineStep(m_cursor, next);
        SetCursor(next);
        return true;
    }
    SetCursor(next, shift);
    return true;
}

void ScreenCanvas::keyPressEvent(QKeyEvent* event)
{
    if (Moved(event))
        return;
    switch (event->key()) {
    case Qt::Key_Delete: emit Erase(false); return;
    case Qt::Key_Backspace: emit Erase(true); return;
    case Qt::Key_Escape: SetCursor(m_cursor); return;
    case Qt::Key_Return:
    case Qt::Key_Enter: SetCursor({ m_typingColumn, m_cursor.row + 1 }); return;
    default: break;
    }
    const QString text = event->text();
    const bool printable
        = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (printable && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        emit Typed(text);
        return;
    }
    QWidget::keyPressEvent(event);
}

void ScreenCanvas::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const std::optional<Spot> cell = CellAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !cell)
        return;
    m_dragFrom = *cell;
    if (m_tool == Tool::Select)
        SetCursor(*cell, event->modifiers() & Qt::ShiftModifier);
    else
        emit Dragged(*cell, *cell, false);
}

void ScreenCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragFrom || !(event->buttons() & Qt::LeftButton))
        return;
    const Spot cell = NearestCell(event->position().toPoint());
    if (m_tool == Tool::Select) {
        if (cell != m_cursor)
            SetCursor(cell, true);
    } else {
        emit Dragged(*m_dragFrom, cell, false);
    }
}

void ScreenCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragFrom || event->button() != Qt::LeftButton)
        return;
    const Spot from = *m_dragFrom;
    m_dragFrom.reset();
    if (m_tool == Tool::Select)
        return;
    const Spot to = NearestCell(event->position().toPoint());
    SetCursor(to);
    emit Dragged(from, to, true);
}
