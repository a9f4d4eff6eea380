#include "editor/widgets/FocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {

constexpr int Width = 2;

}

FocusRing::FocusRing(QWidget* window)
    : QWidget(window)
{
    setObjectName(QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
}

void FocusRing::Follow(QWidget* focused)
{
    for (const QPointer<QWidget>& watched : m_watched) {
        if (watched)
            watched->removeEventFilter(this);
    }
    m_watched.clear();
    m_target = focused && focused->window() == parentWidget() ? focused : nullptr;
    // Moves of the control, and of what holds it (a scrolled form, a dock).
    for (QWidget* widget = m_target; widget && widget != parentWidget(); widget = widget->parentWidget()) {
        widget->installEventFilter(this);
        m_watched << widget;
    }
    Place();
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide: Place(); break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

// Around the part of the control that shows, just outside it.
void FocusRing::Place()
{
    if (!m_target || !m_target->isVisible()) {
        hide();
        return;
    }
    const QRect shown = m_target->visibleRegion().boundingRect();
    if (shown.isEmpty()) {
        hide();
        return;
    }
    const QRect around(m_target->mapTo(parentWidget(), shown.topLeft()), shown.size());
    setGeometry(around.adjusted(-Width, -Width, Width, Width));
    show();
    raise();
    update();
}

void FocusRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), Width));
    painter.drawRect(QRectF(rect()).adjusted(Width / 2.0, Width / 2.0, -Width / 2.0, -Width / 2.0));
}
