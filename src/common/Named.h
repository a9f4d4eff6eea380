#pragma once

#include <QObject>

// A form's control with its objectName set to the name the window's
// handlers and its tests know it by.
template <typename Control> Control* Named(Control* control, const char* name)
{
    control->setObjectName(QString::fromLatin1(name));
    return control;
}
