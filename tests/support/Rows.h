#pragma once

#include <QByteArray>

#include <string>

// A screen row without its trailing blanks, for comparing with a literal.
inline std::string Trimmed(const QByteArray& row)
{
    const std::string text = row.toStdString();
    return text.substr(0, text.find_last_not_of(' ') + 1);
}
