#pragma once

#include "QtPrinters.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

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

// A window's control found by its objectName, the name the window's form gives it.
template <typename Control = QWidget> Control* Find(const QObject& window, const char* name)
{
    Control* found = window.findChild<Control*>(QString::fromLatin1(name));
    if (!found)
        ADD_FAILURE() << "no control named " << name;
    return found;
}

// A condition the event loop brings about within five seconds. QtTest's
// QTRY_ macros fail only under QtTest's own runner: under GoogleTest they
// return from the test, which then passes.
#define EXPECT_SOON(condition) EXPECT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, 5000)) << #condition
