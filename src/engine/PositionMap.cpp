#include "engine/PositionMap.h"

#include <algorithm>

namespace bm::engine {

void PositionMap::Clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

void PositionMap::Add(int64_t queuedMeasure, int32_t measure)
{
    std::lock_guard lock(m_mutex);
    m_entries.emplace_back(queuedMeasure, measure);
}

int32_t PositionMap::Find(int64_t q)
{
    std::lock_guard lock(m_mutex);
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [q](const auto& entry) { return entry.first >= q; });
    if (it == m_entries.end() || it->first != q)
        return -1;
    m_entries.erase(m_entries.begin(), it);
    return m_entries.front().second;
}

size_t PositionMap::Size() const
{
    std::lock_guard lock(m_mutex);
    return m_entries.size();
}

} // namespace bm::engine
