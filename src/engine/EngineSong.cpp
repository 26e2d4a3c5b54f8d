#include "engine/EngineSong.h"

#include <algorithm>

namespace bm::engine {

void EngineSong::MarkNotRendered(int32_t first, int32_t count, SongObserver* observer)
{
    const int64_t begin = std::max<int64_t>(0, first);
    const int64_t end = std::min<int64_t>(int64_t(first) + count, MeasureCount());
    if (begin >= end)
        return;
    for (int64_t m = begin; m < end; ++m)
        measures[size_t(m)].rendered = 0;
    if (observer)
        observer->MeasuresInvalidated(int32_t(begin), int32_t(end - begin));
}

void EngineSong::MarkAllNotRendered(SongObserver* observer) { MarkNotRendered(0, MeasureCount(), observer); }

int32_t EngineSong::MeasuresReached(const EngineSlot& slot) const
{
    const int64_t m = std::max(1, samplesPerMeasure);
    const int64_t end = int64_t(slot.start) + slot.length;
    const int64_t reached = end > 0 ? (end + m - 1) / m : 0;
    return int32_t(std::clamp<int64_t>(reached, 1, INT32_MAX));
}

void EngineSong::NotifyLength(const SampleRef& key, int32_t frames, SongObserver* observer)
{
    // Runs of measures to mark, merged so that one message covers each run.
    int32_t runFirst = -1;
    int32_t runEnd = -1;
    auto flush = [&] {
        if (runFirst >= 0)
            MarkNotRendered(runFirst, runEnd - runFirst, observer);
        runFirst = runEnd = -1;
    };
    for (int32_t m = 0; m < MeasureCount(); ++m) {
        for (auto& slot : measures[size_t(m)].slots) {
            if (slot.IsEmpty() || !(slot.key == key) || slot.length == frames)
                continue;
            const int32_t before = MeasuresReached(slot);
            slot.length = frames;
            const int32_t reach = std::max(before, MeasuresReached(slot));
            const int32_t end = int32_t(std::min<int64_t>(int64_t(m) + reach, MeasureCount()));
            if (runFirst >= 0 && m <= runEnd) {
                runEnd = std::max(runEnd, end);
            } else {
                flush();
                runFirst = m;
                runEnd = end;
            }
        }
    }
    flush();
    if (observer)
        observer->SampleLengthCorrected(key, frames);
}

} // namespace bm::engine
