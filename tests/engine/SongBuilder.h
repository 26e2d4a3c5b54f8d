#pragma once

// Small helpers that build engine songs for tests.

#include "engine/EngineSong.h"

#include <string>

namespace bm::engine::test {

inline SampleRef KeyFor(const std::string& path)
{
    uint32_t hash = 7;
    for (char ch : path)
        hash = hash * 31 + uint8_t(ch);
    return SampleRef::Make(1, int32_t(hash & 0x7FFF), 0, 0, 0, 0);
}

// `measures` empty measures of length m, every channel at gain 100,
// envelopes empty (volume rests at full, pan at the centre).
inline EngineSong MakeSong(int32_t measures, int32_t m, int32_t perBar = 8)
{
    EngineSong song;
    song.measures.resize(size_t(measures));
    song.samplesPerMeasure = m;
    song.measuresPerBar = perBar;
    song.channelGain.fill(100);
    return song;
}

inline void Place(EngineSong& song, int32_t measure, int channel, const std::string& path, int32_t start,
                  int32_t length, int32_t reverse = 0)
{
    EngineSlot& slot = song.measures[size_t(measure)].slots[size_t(channel)];
    slot.path = path;
    slot.start = start;
    slot.length = length;
    slot.reverse = reverse;
    slot.key = KeyFor(path);
}

// One sample through the mix at channel gain g (master × gain / 100) and
// volume value v, pan at the centre.
inline int64_t Mixed(int64_t sample, int64_t g = 1000, int64_t v = 32767)
{
    return sample * g / 1000 * ((v + 32768) / 2) / 32768;
}

} // namespace bm::engine::test
