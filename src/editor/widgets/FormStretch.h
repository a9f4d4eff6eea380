#pragma once

#include <QObject>
#include <QScrollArea>

#include <vector>

class QScreen;

// A screen's free room for a window, its frame and title bar left out.
QSize WindowRoom(const QScreen* screen);
// A window size no larger than the screen's free room, so that a window
// designed for 96 dpi still fits a small or scaled screen whole.
QSize FittedWindowSize(QSize wanted, const QScreen* screen);

// The main window's form at its design size, stretched when the window is
// larger: the document (and whatever shares its place) takes the extra
// room, the controls right of it and below it move along. A window smaller
// than the design scrolls the form instead of squeezing it.
class FormStretch : public QScrollArea {
    Q_OBJECT

public:
    // The form's children as they stand now define the design; the area
    // is the document's rectangle. Controls right of it keep their height,
    // controls below it their column; those at its corner move both ways.
    FormStretch(QWidget* form, const QRect& area, const QList<QWidget*>& corner, QWidget* parent = nullptr);

    // The form's design size plus the frame: the window's size at first start.
    QSize sizeHint() const override;
    // Widgets that occupy the area itself grow with it.
    void AddToArea(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Placed {
        QWidget* widget;
        bool right; // right of the area: moves across
        bool below; // below the area: moves down
        bool inArea; // grows both ways (or across only, for a bar over it)
    };
    void Stretch(QSize from, QSize to);

    QRect m_area;
    QSize m_design;
    std::vector<Placed> m_placed;
};
