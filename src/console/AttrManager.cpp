#include "AttrManager.h"

#include "common/Exceptions.h"

#include <algorithm>
#include <climits>

TAttrManager::TAttrManager(const FontMeasurer& measurer)
    : m_measurer(measurer)
{
}

void TAttrManager::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError(index);
}

TAttr* TAttrManager::GetAttr(int index) const
{
    CheckIndex(index);
    return m_slots[index].attr.get();
}

int TAttrManager::FindOrAdd(const TFixedFont& font)
{
    if (m_lastAttr && m_lastAttr->Matches(font))
        return m_lastIndex;
    const auto candidates = m_byColour.find(ColourKey(font));
    if (candidates == m_byColour.end())
        return Add(font);
    for (const int index : candidates->second) {
        TAttr* attr = m_slots[index].attr.get();
        if (attr->Matches(font)) {
            m_lastAttr = attr;
            m_lastIndex = index;
            return index;
        }
    }
    return Add(font);
}

int TAttrManager::Add(const TFixedFont& font)
{
    const int index = AllocSlot();
    SetAttr(index, std::make_unique<TAttr>(font, m_measurer));
    return index;
}

void TAttrManager::ChangeRefCount(int index, std::int32_t delta)
{
    TAttr* attr = GetAttr(index);
    attr->RefCount += static_cast<std::uint32_t>(delta);
    if (attr->RefCount == 0)
        SetAttr(index, nullptr);
}

void TAttrManager::SetAttr(int index, std::unique_ptr<TAttr> attr)
{
    TAttr* raw = attr.get();
    if (index < Count() && m_slots[index].attr)
        Index(index, m_slots[index].attr.get(), false);
    if (raw)
        Index(index, raw, true);
    if (attr && index == Count()) {
        m_slots.push_back(Slot { std::move(attr), 0 });
    } else {
        CheckIndex(index);
        m_slots[index].attr = std::move(attr);
        if (!raw)
            ReleaseSlot(index);
    }
    m_lastIndex = index;
    m_lastAttr = raw;
}

std::uint64_t TAttrManager::ColourKey(const TFixedFont& font)
{
    return std::uint64_t(font.Color()) << 32 | font.BkColor();
}

void TAttrManager::Index(int index, const TAttr* attr, bool add)
{
    std::vector<int>& indices = m_byColour[ColourKey(*attr)];
    const auto place = std::lower_bound(indices.begin(), indices.end(), index);
    if (add && (place == indices.end() || *place != index))
        indices.insert(place, index);
    else if (!add && place != indices.end() && *place == index)
        indices.erase(place);
}

void TAttrManager::Clear()
{
    m_byColour.clear();
    m_slots.clear();
    m_lastIndex = 0;
    m_lastAttr = nullptr;
    m_freeHead = -1;
}

std::int32_t TAttrManager::FreeLink(int index) const
{
    CheckIndex(index);
    return m_slots[index].attr ? 0 : m_slots[index].link;
}

int TAttrManager::DecodeLink(std::int32_t link)
{
    if (link == EndOfChain || link == INT_MIN)
        return -1;
    return ~link;
}

int TAttrManager::AllocSlot()
{
    if (m_freeHead < 0)
        return Count();
    const int index = m_freeHead;
    m_freeHead = DecodeLink(m_slots[index].link);
    return index;
}

void TAttrManager::ReleaseSlot(int index)
{
    m_slots[index].link = m_freeHead < 0 ? EndOfChain : ~m_freeHead;
    m_freeHead = index;
}
