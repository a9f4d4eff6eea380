#pragma once

#include "console/ColorConsole.h"

#include <map>
#include <string>

// Every cell names a live attribute and every live attribute's count equals
// the number of cells naming it. Returns what is wrong, or an empty string.
inline std::string AttributeInvariantViolation(const TColorConsole& console)
{
    std::map<int, std::uint32_t> cells;
    for (int row = 0; row < console.Rows(); ++row) {
        for (int column = 0; column < console.Cols(); ++column) {
            const int index = console.AttrAt(column, row);
            if (index < 0 || index >= console.AttrManager().Count() || !console.AttrManager().GetAttr(index))
                return "cell " + std::to_string(column) + "," + std::to_string(row) + " names dead index "
                    + std::to_string(index);
            ++cells[index];
        }
    }
    for (int index = 0; index < console.AttrManager().Count(); ++index) {
        const TAttr* attr = console.AttrManager().GetAttr(index);
        if (attr && attr->RefCount != cells[index])
            return "index " + std::to_string(index) + " counts " + std::to_string(attr->RefCount) + " but "
                + std::to_string(cells[index]) + " cells use it";
    }
    return {};
}
