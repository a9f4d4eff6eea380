#include "editor/widgets/ScreenView.h"

#include <QPainter>

#include <cmath>

ScreenView::ScreenView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ScreenView::Show(const QImage& picture)
{
    const bool resized = picture.size() != m_picture.size();
    m_picture = picture;
    if (resized)
        updateGeometry();
    update();
}

void ScreenView::SetCursor(std::optional<QRect> underline, QColor colour)
{
    if (underline == m_cursor && colour == m_cursorColour)
        return;
    m_cursor = underline;
    m_cursorColour = colour;
    update();
}

double ScreenView::Scale() const
{
    if (m_picture.isNull())
        return 1;
    const double ratio = devicePixelRatioF();
    const double scale = std::min(width() * ratio / m_picture.width(), height() * ratio / m_picture.height());
    return scale >= 1 ? std::floor(scale) : std::max(scale, 0.05);
}

QRectF ScreenView::PictureRect() const
{
    const double ratio = devicePixelRatioF();
    const QSizeF size = QSizeF(m_picture.size()) * Scale() / ratio;
    // On a display pixel, so that the whole multiples stay whole.
    const double left = std::floor((width() - size.width()) / 2 * ratio) / ratio;
    const double top = std::floor((height() - size.height()) / 2 * ratio) / ratio;
    return { QPointF(std::max(0.0, left), std::max(0.0, top)), size };
}

QSize ScreenView::SizeAt(int scale) const
{
    const QSize picture = m_picture.isNull() ? QSize(720, 400) : m_picture.size();
    return (QSizeF(picture) * scale / devicePixelRatioF()).toSize();
}

QSize ScreenView::sizeHint() const { return SizeAt(std::max(1, int(std::lround(devicePixelRatioF())))); }

QSize ScreenView::minimumSizeHint() const { return SizeAt(1) / 4; }

void ScreenView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_picture.isNull())
        return;
    const QRectF target = PictureRect();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, Scale() < 1);
    painter.drawImage(target, m_picture);
    if (m_cursor) {
        const double across = target.width() / m_picture.width();
        const double down = target.height() / m_picture.height();
        painter.fillRect(QRectF(target.left() + m_cursor->x() * across, target.top() + m_cursor->y() * down,
                             m_cursor->width() * across, m_cursor->height() * down),
            m_cursorColour);
    }
}
