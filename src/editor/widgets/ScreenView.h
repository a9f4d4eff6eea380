#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

#include <optional>

// A loader screen's picture in a window that may be resized: drawn at the
// largest whole number of the display's own pixels per picture pixel that
// fits, so every dot stays sharp, centred on black; smoothly smaller only
// when even one does not fit. Over it the BIOS cursor's underline, when
// the loader shows one.
class ScreenView : public QWidget {
    Q_OBJECT

public:
    explicit ScreenView(QWidget* parent = nullptr);

    void Show(const QImage& picture);
    const QImage& Shown() const { return m_picture; }
    // The cursor's underline in picture pixels and its colour, or none.
    void SetCursor(std::optional<QRect> underline, QColor colour = Qt::lightGray);
    std::optional<QRect> Cursor() const { return m_cursor; }

    // Display pixels per picture pixel at the view's size: whole from one up.
    double Scale() const;
    // Where the picture is drawn, in the view's coordinates.
    QRectF PictureRect() const;
    // The view's size for a whole number of display pixels per picture pixel.
    QSize SizeAt(int scale) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    std::optional<QRect> m_cursor;
    QColor m_cursorColour;
};
