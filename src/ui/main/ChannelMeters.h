#pragma once

// The twelve channel meters: each shows max(peak × 27 / 32768, level - 2),
// so a meter jumps up with the music and falls back by 2 segments a tick.

#include "ui/main/Layout.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace bm::ui {

class ChannelMeters {
public:
    static constexpr int32_t kFallPerTick = 2;

    // One tick with the engine's peaks (0 ... 32767 each); true when any
    // meter changed.
    bool Update(const std::array<int32_t, layout::kChannels>& peaks)
    {
        bool changed = false;
        for (size_t c = 0; c < m_levels.size(); ++c) {
            const int32_t peak = std::clamp(peaks[c], 0, 32767);
            const int32_t level =
                std::clamp(std::max(peak * layout::kMeterSegments / 32768, m_levels[c] - kFallPerTick), 0,
                           layout::kMeterSegments);
            changed = changed || level != m_levels[c];
            m_levels[c] = level;
        }
        return changed;
    }
    int32_t Level(int32_t channel) const { return m_levels[static_cast<size_t>(channel)]; }
    const std::array<int32_t, layout::kChannels>& Levels() const { return m_levels; }

private:
    std::array<int32_t, layout::kChannels> m_levels{};
};

} // namespace bm::ui
