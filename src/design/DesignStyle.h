#pragma once

#include "design/DesignLines.h"

#include <QByteArray>

// How new lines are written beside existing ones: the indentation of the
// block they join, its keywords' case and its line break.
namespace Design {

struct Style {
    QByteArray indent; // a LABEL or MENU BEGIN line's
    QByteArray inner; // the lines inside its block
    bool upper = false;

    // A directive's words in the block's case.
    QByteArray Words(const QByteArray& lower) const { return upper ? lower.toUpper() : lower; }
    QByteArray Line(const QByteArray& lower, const QByteArray& argument, bool inside = true) const
    {
        return (inside ? inner : indent) + Words(lower) + (argument.isEmpty() ? QByteArray() : ' ' + argument);
    }
};

// The style of the block at first (a LABEL or MENU BEGIN line, or any line).
inline Style StyleOf(const FileLines& lines, int first)
{
    Style style;
    if (first < 1 || first > lines.Count())
        return style;
    const QByteArray text = lines.Text(first);
    style.indent = style.inner = Indent(text);
    style.upper = UpperCaseKeyword(text);
    // A submenu's settings and a label's own lines set the inner indent.
    const bool submenu = lines.Kind(first) == LineKind::MenuBegin;
    if (first < lines.Count()
        && (lines.Kind(first + 1) == LineKind::LabelPart || (submenu && lines.Kind(first + 1) == LineKind::Other)))
        style.inner = Indent(lines.Text(first + 1));
    return style;
}

}
