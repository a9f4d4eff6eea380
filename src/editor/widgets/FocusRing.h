#pragma once

#include <QPointer>
#include <QWidget>

// A ring over the window around the control that has the keyboard, so that
// a keyboard user sees where keys go in every control: the document, the
// docks' lists, the character table, the fields and buttons.
class FocusRing : public QWidget {
    Q_OBJECT

public:
    explicit FocusRing(QWidget* window);

    // The control the ring is around, while it shows.
    QWidget* Around() const { return isVisible() ? m_target.data() : nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Follow(QWidget* focused);
    void Place();

    QPointer<QWidget> m_target;
    QList<QPointer<QWidget>> m_watched; // the target and the widgets it sits in
};
