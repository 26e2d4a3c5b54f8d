#include "engine/MemoryCacheRebuild.h"

#include <algorithm>
#include <limits>
#include <set>
#include <string>
#include <vector>

namespace bm::engine {

namespace {

struct Wanted {
    std::string path;
    int64_t frames = 0;
    int64_t uses = 0;
    SampleRef key;
};

int32_t ClampLength(int64_t frames)
{
    return int32_t(std::clamp<int64_t>(frames, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

RebuildResult RebuildMemoryCache(EngineSong& song, SampleSource& source, MemorySampleCache& cache, int64_t memoryLimit,
                                 const FolderList* folders, SongObserver* observer)
{
    const int64_t span = song.BarSpan();
    std::vector<Wanted> wanted;
    std::set<std::string> refused; // opened once and unavailable or too large

    for (int ch = 0; ch < kChannels; ++ch) {
        if (song.channelGain[size_t(ch)] == 0)
            continue;
        for (int32_t m = 0; m < song.MeasureCount(); ++m) {
            const EngineSlot& slot = song.measures[size_t(m)].slots[size_t(ch)];
            if (slot.IsEmpty())
                continue;
            auto known = std::find_if(wanted.begin(), wanted.end(), [&](const Wanted& w) { return w.path == slot.path; });
            if (known != wanted.end()) {
                ++known->uses;
                continue;
            }
            if (refused.count(slot.path) != 0)
                continue;
            const std::string path = slot.path;
            const SampleRef key = slot.key;
            auto reader = source.Open(path, span, key);
            if (!reader) {
                if (slot.length != 0)
                    song.NotifyLength(key, 0, observer);
                refused.insert(path);
                continue;
            }
            if (reader->FreshRender())
                return RebuildResult::StoppedForFreshRender;
            const int32_t length = ClampLength(reader->Length());
            if (length != slot.length)
                song.NotifyLength(key, length, observer);
            const int64_t full = reader->FullLength();
            if (full < 0 || full * 4 > kMaxMemoryEntryBytes) {
                refused.insert(path);
                continue;
            }
            wanted.push_back({path, full, 0, key});
        }
    }

    auto trim = [&](const std::vector<std::string>&) {
        int64_t total = 0;
        for (const auto& w : wanted)
            total += w.frames;
        while (total > memoryLimit && !wanted.empty()) {
            size_t least = 0;
            for (size_t i = 1; i < wanted.size(); ++i) {
                if (wanted[i].uses <= wanted[least].uses)
                    least = i;
            }
            total -= wanted[least].frames;
            wanted.erase(wanted.begin() + ptrdiff_t(least));
        }
    };
    if (folders)
        folders->With(trim);
    else
        trim({});

    auto& entries = cache.Entries();
    std::vector<MemoryCacheEntry> kept;
    for (auto& entry : entries) {
        auto it = std::find_if(wanted.begin(), wanted.end(), [&](const Wanted& w) { return w.path == entry.path; });
        if (it == wanted.end() || !entry.sample || entry.sample->SizeFrames() != it->frames)
            continue;
        wanted.erase(it);
        kept.push_back(std::move(entry));
    }
    entries = std::move(kept);

    for (const auto& w : wanted) {
        auto reader = source.Open(w.path, span, w.key);
        if (!reader)
            continue;
        if (auto sample = reader->CopyIntoMemory())
            cache.Append(w.path, std::move(sample));
    }
    return RebuildResult::Done;
}

} // namespace bm::engine
