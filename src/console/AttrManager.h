#pragma once

#include "Attr.h"

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

class FontMeasurer;

// The table of colour attributes of a colour console. Cells hold indices into
// it. An attribute lives while cells use it; freed indices are reused before
// the table grows, the most recently freed first.
class TAttrManager {
public:
    explicit TAttrManager(const FontMeasurer& measurer);

    // The end marker of the free chain, stored in its last slot.
    static constexpr std::int32_t EndOfChain = -2147483647;

    int Count() const { return static_cast<int>(m_slots.size()); }
    // The attribute in a slot, or null for a free slot.
    TAttr* GetAttr(int index) const;
    // The index of the attribute matching font, created (with RefCount 0)
    // when there is none.
    int FindOrAdd(const TFixedFont& font);
    // Adds delta (modulo 2^32) to a live attribute's count; at exactly 0 the
    // attribute is destroyed and its slot freed.
    void ChangeRefCount(int index, std::int32_t delta);
    // Stores attr in slot index (index == Count appends); null destroys the
    // attribute there and frees the slot. Either way the cache names index.
    void SetAttr(int index, std::unique_ptr<TAttr> attr);
    void Clear();

    int FreeHead() const { return m_freeHead; }
    // The link word of a free slot: ~next, or EndOfChain in the last one.
    std::int32_t FreeLink(int index) const;
    int AllocSlot();

private:
    struct Slot {
        std::unique_ptr<TAttr> attr;
        std::int32_t link = 0; // meaningful only while attr is null
    };

    void CheckIndex(int index) const;
    void ReleaseSlot(int index);
    static int DecodeLink(std::int32_t link);

    // The slots of each pair of colours, in index order: a screen of many
    // colours finds its attributes without walking the whole table.
    static std::uint64_t ColourKey(const TFixedFont& font);
    int Add(const TFixedFont& font);
    void Index(int index, const TAttr* attr, bool add);

    const FontMeasurer& m_measurer;
    std::vector<Slot> m_slots;
    std::unordered_map<std::uint64_t, std::vector<int>> m_byColour;
    int m_freeHead = -1;
    TAttr* m_lastAttr = nullptr;
    int m_lastIndex = 0;
};
