#pragma once

#include "QtPrinters.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

// Shows a widget as a real top-level window and waits until it is exposed.
inline void ShowAndWait(QWidget& widget)
{
    widget.show();
    widget.activateWindow();
    for (int i = 0; i < 50 && !widget.isActiveWindow(); ++i)
        QApplication::processEvents();
    QApplication::processEvents();
}

inline QColor PixelAt(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
