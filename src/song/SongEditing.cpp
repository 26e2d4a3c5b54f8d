#include "song/SongEditing.h"

#include <algorithm>
#include <limits>

namespace bm {

namespace {

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

bool IsSelected(const ChannelSlot& slot) { return slot.selected != 0 && !slot.IsEmpty(); }

// The first measure holding a selected slot, or -1.
int64_t FirstSelectedMeasure(const Song& song)
{
    for (size_t m = 0; m < song.measures.size(); ++m) {
        for (const ChannelSlot& slot : song.measures[m].slots) {
            if (IsSelected(slot))
                return static_cast<int64_t>(m);
        }
    }
    return -1;
}

// Copies the selected slots, measure `base` becoming the fragment's first.
void CopySelectedSlots(const Song& song, int64_t base, SongFragment& fragment)
{
    for (size_t m = size_t(base); m < song.measures.size(); ++m) {
        for (size_t c = 0; c < kChannels; ++c) {
            const ChannelSlot& slot = song.measures[m].slots[c];
            if (!IsSelected(slot))
                continue;
            const size_t at = m - size_t(base);
            if (fragment.measures.size() < at + 1)
                fragment.measures.resize(at + 1);
            ChannelSlot& copy = fragment.measures[at].slots[c];
            copy = slot;
            copy.selected = 1;
        }
    }
}

// Copies the selected points of every list, shifted by `base` measures, and
// marks those lists in use.
void CopySelectedPoints(const Song& song, int64_t base, SongFragment& fragment)
{
    const int64_t shift = base * song.samplesPerMeasure;
    for (size_t c = 0; c < kChannels; ++c) {
        for (size_t k = 0; k < kEnvelopeKinds; ++k) {
            for (const EnvelopePoint& point : song.envelopes[c][k]) {
                if (point.selected == 0)
                    continue;
                fragment.inUse[c][k] = 1;
                fragment.envelopes[c][k].push_back({Saturate(point.position - shift), point.value, 1});
            }
        }
    }
}

bool AnyPointSelected(const Song& song)
{
    for (const auto& channel : song.envelopes) {
        for (const auto& envelope : channel) {
            for (const EnvelopePoint& point : envelope) {
                if (point.selected != 0)
                    return true;
            }
        }
    }
    return false;
}

int64_t MeasureOf(const Song& song, int64_t position) { return position / std::max(1, song.samplesPerMeasure); }

} // namespace

int32_t CopySelectionToClipboard(const Song& song, SongFragment& clipboard)
{
    clipboard.Clear();
    int64_t base = FirstSelectedMeasure(song);
    if (base < 0 && !AnyPointSelected(song))
        return -1;
    clipboard.samplesPerMeasure = song.samplesPerMeasure;
    clipboard.measuresPerBar = song.measuresPerBar;
    if (base < 0) {
        int64_t earliest = std::numeric_limits<int64_t>::max();
        for (const auto& channel : song.envelopes) {
            for (const auto& envelope : channel) {
                for (const EnvelopePoint& point : envelope) {
                    if (point.selected != 0)
                        earliest = std::min<int64_t>(earliest, point.position);
                }
            }
        }
        base = MeasureOf(song, earliest);
    } else {
        CopySelectedSlots(song, base, clipboard);
    }
    CopySelectedPoints(song, base, clipboard);
    return Saturate(base);
}

int PreparePlacementFromClipboard(const Song& song, const SongFragment& clipboard, SongFragment& placement)
{
    placement.Clear();
    if (clipboard.samplesPerMeasure <= 0) {
        placement.samplesPerMeasure = song.samplesPerMeasure;
        placement.measuresPerBar = song.measuresPerBar;
        return 0; // an empty clipboard
    }
    RetimeRequest request;
    request.fromSamplesPerMeasure = clipboard.samplesPerMeasure;
    request.fromMeasuresPerBar = clipboard.measuresPerBar;
    request.toSamplesPerMeasure = song.samplesPerMeasure;
    request.toMeasuresPerBar = song.measuresPerBar;
    const bool sameTempo =
        clipboard.samplesPerMeasure == song.samplesPerMeasure && clipboard.measuresPerBar == song.measuresPerBar;
    request.mode = sameTempo ? RetimeMode::Stretch : RetimeMode::FitBars;
    return RetimeFragment(clipboard, request, placement);
}

int32_t PreparePlacementFromSelection(const Song& song, SongFragment& placement)
{
    placement.Clear();
    placement.samplesPerMeasure = song.samplesPerMeasure;
    placement.measuresPerBar = song.measuresPerBar;
    int64_t base = FirstSelectedMeasure(song);
    if (base < 0) {
        for (size_t k = 0; k < kEnvelopeKinds && base < 0; ++k) {
            for (size_t c = 0; c < kChannels && base < 0; ++c) {
                for (const EnvelopePoint& point : song.envelopes[c][k]) {
                    if (point.selected != 0) {
                        base = MeasureOf(song, point.position);
                        break;
                    }
                }
            }
        }
        if (base < 0)
            return -1;
    } else {
        CopySelectedSlots(song, base, placement);
    }
    CopySelectedPoints(song, base, placement);
    return Saturate(base);
}

int PreparePlacementFromLibrary(const Song& song, const SampleLibrary& library, const LibrarySelection& where,
                                int32_t entry, int32_t variant, int32_t reverse, SongFragment& placement)
{
    placement.Clear();
    placement.samplesPerMeasure = song.samplesPerMeasure;
    placement.measuresPerBar = song.measuresPerBar;
    const auto variantRef = [&](int32_t v) {
        return SampleRef::Make(where.style, where.group, where.part, where.chord, v, entry);
    };
    const auto filled = [&](int32_t v) {
        const SampleDescriptor* sample = library.Find(variantRef(v));
        return sample != nullptr && !sample->IsEmpty();
    };
    int32_t first = variant;
    int32_t last = variant;
    if (variant == kWholeEntry) {
        first = 0;
        last = kVariantsPerEntry - 1;
        while (first <= last && !filled(first))
            ++first;
        while (last >= first && !filled(last))
            --last;
    }
    if (first < 0 || last >= kVariantsPerEntry || first > last || !filled(first))
        return 0;
    const int64_t distance = library.styles[size_t(where.style)].valueA; // in range: a variant was filled
    const int64_t spm = std::max(1, song.samplesPerMeasure);
    int placed = 0;
    for (int32_t v = first; v <= last; ++v) {
        if (!filled(v))
            continue;
        const int64_t offset = (v - first) * distance;
        const int64_t measure = offset / spm;
        if (offset < 0 || measure >= kMaxSongMeasures)
            continue;
        if (placement.measures.size() < size_t(measure) + 1)
            placement.measures.resize(size_t(measure) + 1);
        for (ChannelSlot& slot : placement.measures[size_t(measure)].slots) {
            if (!slot.IsEmpty())
                continue;
            slot.ref = variantRef(v);
            slot.selected = 1;
            slot.start = static_cast<int32_t>(offset % spm);
            slot.reverse = reverse;
            ++placed;
            break;
        }
    }
    return placed;
}

} // namespace bm
