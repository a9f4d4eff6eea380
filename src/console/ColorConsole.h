#pragma once

#include "AttrManager.h"
#include "Console.h"

#include <cstdint>
#include <vector>

// A console that keeps, for every cell, the colour attribute that the font
// had when the cell was last written or filled, and paints each cell in its
// own attribute. Changing the font's colours touches no cell: the next write
// takes them. The attribute buffer is laid out like the character grid and
// rotates with it.
class TColorConsole : public TConsole {
public:
    explicit TColorConsole(const FontMeasurer& measurer);
    ~TColorConsole() override;

    TAttrManager& AttrManager() { return m_attrManager; }
    const TAttrManager& AttrManager() const { return m_attrManager; }
    // The attribute index of a screen cell.
    std::int32_t AttrAt(int column, int row) const { return m_attrs[CellAt(column, row)]; }
    const TAttr& CellAttr(int column, int row) const { return *m_attrManager.GetAttr(AttrAt(column, row)); }
    const std::vector<std::int32_t>& CharWidths() const { return m_charWidths; }

    void PaintGrid(ConsoleCanvas& canvas) override;

protected:
    void FontChanged() override;
    void SetMetrics(const TextMetrics& metrics) override;
    void PutChars(int column, int row, const char* chars, int count) override;
    void FillCells(int column, int row, char ch, int count) override;
    void ResizeBuffer() override;

private:
    void ResizeAttributes();
    std::int32_t FontAttr();
    void SetAttrs(int column, int row, std::uint32_t count);
    void SetRun(std::int32_t index, int position, std::uint32_t count);
    void FillCharWidths(int width);

    TAttrManager m_attrManager;
    std::vector<std::int32_t> m_attrs;
    std::vector<std::int32_t> m_charWidths;
    std::int32_t m_fontAttr = -1; // the attribute of Font, -1 until looked up
};
