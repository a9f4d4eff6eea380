#include "ConsoleWidget.h"

#include "QtCanvas.h"
#include "QtGeometry.h"
#include "console/Console.h"
#include "format/Cp437.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace {

bool IsConsoleMessage(QEvent::Type type)
{
    return type == static_cast<QEvent::Type>(ConsoleMessage::WM_CONSOLETRACK)
        || type == static_cast<QEvent::Type>(ConsoleMessage::WM_CONSOLESCROLL);
}

ScrollAction ActionOf(int sliderAction)
{
    switch (sliderAction) {
    case QAbstractSlider::SliderSingleStepSub: return ScrollAction::LineUp;
    case QAbstractSlider::SliderSingleStepAdd: return ScrollAction::LineDown;
    case QAbstractSlider::SliderPageStepSub: return ScrollAction::PageUp;
    case QAbstractSlider::SliderPageStepAdd: return ScrollAction::PageDown;
    case QAbstractSlider::SliderToMinimum: return ScrollAction::Top;
    case QAbstractSlider::SliderToMaximum: return ScrollAction::Bottom;
    case QAbstractSlider::SliderMove: return ScrollAction::ThumbTrack;
    default: return ScrollAction::EndScroll;
    }
}

}

ConsoleWidget::ConsoleWidget(TConsole& console, QWidget* parent)
    : QAbstractScrollArea(parent)
    , m_console(console)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // The console paints every pixel of its client area itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
        [this](int action) { ScrollBarAction(ScrollAxis::Horizontal, action); });
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
        [this](int action) { ScrollBarAction(ScrollAxis::Vertical, action); });
    m_console.AttachWindow(this);
}

ConsoleWidget::~ConsoleWidget() { m_console.AttachWindow(nullptr); }

void ConsoleWidget::SetBlinkPhase(BlinkPhase phase)
{
    if (std::exchange(m_blink, phase) != phase)
        viewport()->update();
}

QSize ConsoleWidget::SizeForWholeGrid() const
{
    const CellPair cell = m_console.CellSize();
    return QSize(m_console.Cols() * cell.x + verticalScrollBar()->sizeHint().width(),
        m_console.Rows() * cell.y + horizontalScrollBar()->sizeHint().height());
}

PixelRect ConsoleWidget::ClientRect() const { return { 0, 0, viewport()->width(), viewport()->height() }; }

// Writing invalidates at every byte; widening a rectangle is all that
// costs, and Qt hears of it once.
void ConsoleWidget::Invalidate(const PixelRect& rect)
{
    // Cells outside the picture show nothing; a scroll that brings them in
    // repaints what it uncovers.
    const QRect visible = ToQRect(rect) & viewport()->rect();
    if (visible.isEmpty())
        return;
    m_dirty |= visible;
    if (!std::exchange(m_handOverPosted, true))
        QMetaObject::invokeMethod(this, &ConsoleWidget::HandDirtyToQt, Qt::QueuedConnection);
}

void ConsoleWidget::InvalidateAll() { Invalidate(ToPixelRect(viewport()->rect())); }

void ConsoleWidget::HandDirtyToQt()
{
    m_handOverPosted = false;
    if (!m_dirty.isEmpty())
        viewport()->update(std::exchange(m_dirty, QRect()));
}

void ConsoleWidget::UpdateNow()
{
    if (m_dirty.isEmpty() || !viewport()->isVisible())
        return;
    viewport()->repaint(std::exchange(m_dirty, QRect()));
}

void ConsoleWidget::ScrollPixels(int dx, int dy, const PixelRect& clip)
{
    viewport()->scroll(dx, dy, ToQRect(clip));
    // What waits to be painted moved with the picture.
    m_dirty.translate(dx, dy);
}

void ConsoleWidget::SetScrollRange(ScrollAxis axis, int maximum)
{
    const CellPair visible = m_console.ClientCells();
    QScrollBar* bar = axis == ScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    bar->setRange(0, maximum);
    bar->setPageStep(std::max(1, axis == ScrollAxis::Horizontal ? visible.x / 2 : visible.y));
}

void ConsoleWidget::SetScrollPosition(ScrollAxis axis, int position)
{
    QScrollBar* bar = axis == ScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    bar->setSliderPosition(position);
    bar->setValue(position);
}

void ConsoleWidget::ScrollBarAction(ScrollAxis axis, int action)
{
    QScrollBar* bar = axis == ScrollAxis::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    m_console.DoScroll(axis, ActionOf(action), static_cast<qint16>(bar->sliderPosition()));
    // The bar applies its own idea of the position after this signal; make
    // it the console's.
    const CellPair origin = m_console.Origin();
    bar->setSliderPosition(axis == ScrollAxis::Horizontal ? origin.x : origin.y);
}

void ConsoleWidget::scrollContentsBy(int, int)
{
    // The console moves the pixels itself when its origin changes.
}

void ConsoleWidget::Wake(ConsoleMessage message)
{
    bool& posted = message == ConsoleMessage::WM_CONSOLETRACK ? m_trackPosted : m_scrollPosted;
    if (!std::exchange(posted, true))
        QCoreApplication::postEvent(this, new QEvent(static_cast<QEvent::Type>(message)));
}

bool ConsoleWidget::event(QEvent* event)
{
    if (!IsConsoleMessage(event->type()))
        return QAbstractScrollArea::event(event);
    const auto message = static_cast<ConsoleMessage>(event->type());
    (message == ConsoleMessage::WM_CONSOLETRACK ? m_trackPosted : m_scrollPosted) = false;
    DeliverWaiting(message, m_console);
    return true;
}

void ConsoleWidget::ShowCaret(const PixelRect& rect)
{
    if (m_caret)
        viewport()->update(*m_caret);
    m_caret = ToQRect(rect);
    viewport()->update(*m_caret);
}

void ConsoleWidget::HideCaret()
{
    if (m_caret)
        viewport()->update(*m_caret);
    m_caret.reset();
}

void ConsoleWidget::TakeFocus() { setFocus(Qt::OtherFocusReason); }

void ConsoleWidget::Beep() { QApplication::beep(); }

void ConsoleWidget::ProcessPendingEvents() { QCoreApplication::processEvents(); }

bool ConsoleWidget::RunEventsUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    m_readLoop = &loop;
    // A typed key quits the loop; anything else that ends it is the
    // application quitting.
    while (!done()) {
        loop.exec();
        if (!done())
            break;
    }
    m_readLoop = nullptr;
    return done();
}

void ConsoleWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    QtCanvas canvas(painter, event->rect(), palette(), m_glyphs, m_blink);
    m_console.PaintGrid(canvas);
    painter.resetTransform();
    if (m_caret) {
        // Inverted, as a desktop caret is.
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(*m_caret, Qt::white);
    }
    if (const std::optional<QRect> marked = MarkedRect()) {
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRect(marked->adjusted(1, 1, -1, -1));
    }
}

std::optional<QRect> ConsoleWidget::MarkedRect() const
{
    if (!m_marked)
        return std::nullopt;
    const CellPair size = m_console.CellSize();
    const CellPair origin = m_console.Origin();
    return QRect((m_marked->x - origin.x) * size.x, (m_marked->y - origin.y) * size.y, size.x, size.y);
}

void ConsoleWidget::SetMarkedCell(std::optional<CellPair> cell)
{
    if (cell == m_marked)
        return;
    if (const std::optional<QRect> old = MarkedRect())
        viewport()->update(*old);
    m_marked = cell;
    if (const std::optional<QRect> marked = MarkedRect())
        viewport()->update(*marked);
}

void ConsoleWidget::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_console.WindowResized();
}

void ConsoleWidget::showEvent(QShowEvent* event)
{
    QAbstractScrollArea::showEvent(event);
    if (m_created)
        return;
    m_created = true;
    m_console.WindowCreated();
}

void ConsoleWidget::focusInEvent(QFocusEvent* event)
{
    m_console.FocusGained();
    QAbstractScrollArea::focusInEvent(event);
}

void ConsoleWidget::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_console.FocusLost();
}

void ConsoleWidget::keyPressEvent(QKeyEvent* event)
{
    m_console.KeyDown(event->key(), event->modifiers() == Qt::ControlModifier);
    for (QChar character : event->text()) {
        const int byte = Cp437::FromUnicode(character.unicode());
        if (byte > 0)
            m_console.CharacterTyped(static_cast<char>(byte));
    }
    if (m_readLoop && m_console.KeyCount() > 0)
        m_readLoop->quit();
    event->accept();
}

void ConsoleWidget::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const CellPair size = m_console.CellSize();
    const CellPair origin = m_console.Origin();
    if (event->button() == Qt::LeftButton && size.x > 0 && size.y > 0) {
        const QPoint at = event->position().toPoint();
        emit CellClicked({ at.x() / size.x + origin.x, at.y() / size.y + origin.y });
    }
    QAbstractScrollArea::mousePressEvent(event);
}
