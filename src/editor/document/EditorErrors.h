#pragma once

#include "common/Exceptions.h"

#include <QString>

// A text that does not convert to a number.
class EConvertError : public Exception {
public:
    explicit EConvertError(const QString& message, const QString& detail = {})
        : Exception(message.toStdString(), detail.toStdString())
    {
    }
};

// A file that cannot be read or written, or a text too large for the editor.
class EFileError : public Exception {
public:
    explicit EFileError(const QString& message, const QString& detail = {})
        : Exception(message.toStdString(), detail.toStdString())
    {
    }
};
