#pragma once

// What the parts of the menu share: its countdown's step and the ANSI
// cursor move it prints.

#include <QByteArray>

namespace MenuDetail {

constexpr long long Tick = 1000; // the countdown's step

inline QByteArray MoveTo(int row, int column)
{
    return "\033[" + QByteArray::number(row) + ';' + QByteArray::number(column) + 'H';
}

}
