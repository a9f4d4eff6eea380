#include "editor/widgets/FormStretch.h"

#include <QEvent>
#include <QResizeEvent>
#include <QScreen>

FormStretch::FormStretch(QWidget* form, const QRect& area, const QList<QWidget*>& corner, QWidget* parent)
    : QScrollArea(parent)
    , m_area(area)
    , m_design(form->size())
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    form->setMinimumSize(m_design);
    for (QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QRect place = child->geometry();
        const bool right = place.left() >= area.right();
        if (corner.contains(child))
            m_placed.push_back({ child, true, true, false });
        else if (area.contains(place.topLeft()))
            m_placed.push_back({ child, false, false, true });
        else
            m_placed.push_back({ child, right, !right && place.top() >= area.bottom(), false });
    }
    setWidget(form);
    form->installEventFilter(this);
}

QSize FormStretch::sizeHint() const { return m_design; }

void FormStretch::AddToArea(QWidget* widget) { m_placed.push_back({ widget, false, false, true }); }

bool FormStretch::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == widget() && event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        // The first resize comes from the design size itself.
        const QSize old = resize->oldSize().isValid() ? resize->oldSize() : m_design;
        Stretch(old, resize->size());
    }
    return QScrollArea::eventFilter(watched, event);
}

void FormStretch::Stretch(QSize from, QSize to)
{
    const int across = to.width() - from.width();
    const int down = to.height() - from.height();
    if (across == 0 && down == 0)
        return;
    for (const Placed& placed : m_placed) {
        QRect place = placed.widget->geometry();
        if (placed.inArea) {
            // A bar over the document grows across only.
            const bool bar = place.height() < m_area.height() / 4;
            place.setWidth(place.width() + across);
            if (!bar)
                place.setHeight(place.height() + down);
        } else {
            place.translate(placed.right ? across : 0, placed.below ? down : 0);
        }
        placed.widget->setGeometry(place);
    }
}

QSize WindowRoom(const QScreen* screen)
{
    if (!screen)
        return { QWIDGETSIZE_MAX, QWIDGETSIZE_MAX };
    // Room for the frame and title bar that the window manager adds.
    constexpr int FrameAllowance = 40;
    return screen->availableGeometry().size() - QSize(FrameAllowance / 4, FrameAllowance);
}

QSize FittedWindowSize(QSize wanted, const QScreen* screen) { return wanted.boundedTo(WindowRoom(screen)); }
