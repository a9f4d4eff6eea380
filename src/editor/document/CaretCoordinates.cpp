#include "editor/document/CaretCoordinates.h"

#include "format/DisplayCodes.h"
#include <QCoreApplication>

CaretColumns ColumnsOf(const QByteArray& line, int bytesBefore, const std::function<void(const QByteArray&)>& window)
{
    CaretColumns columns;
    columns.editor = bytesBefore + 1;
    int discount = 0;
    for (int k = 1; k <= columns.editor - 3; ++k) {
        const QByteArray examined = line.mid(k - 1, 3);
        if (window)
            window(examined);
        if (examined.contains(DisplayCode::ColourCommand))
            ++discount;
    }
    columns.preview = columns.editor - discount;
    return columns;
}

QString ColumnCaption(const CaretColumns& columns)
{
    return QCoreApplication::translate("CaretCoordinates", "X: %1 (%2)").arg(columns.preview).arg(columns.editor);
}

QString LineCaption(int lineIndex) { return QCoreApplication::translate("CaretCoordinates", "Y: %1").arg(lineIndex); }
