// Renders small songs built from the input bytes: measure length, gains
// (including out-of-range ones), slots with any start, length and reverse
// flag, envelopes with any positions and values, and any master gain. The
// renderer must not crash, and rendering measure by measure must give the
// same audio as one call.

#include "engine/SongRenderer.h"

#include "../engine/FakeSampleSource.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint32_t Next32()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = (value << 8) | (m_pos < m_size ? m_data[m_pos++] : 0);
        return value;
    }
    uint8_t Next8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    bool AtEnd() const { return m_pos >= m_size; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace bm::engine;
    Bytes in(data, size);
    test::FakeSampleSource source;
    source.logReads = false;
    source.AddRamp("a.wav", 3000, -12345);
    source.AddConstant("b.wav", 450, 32767, -32768);
    source.AddConstant("c.wav", 1, -32768, 32767);
    const char* paths[] = {"a.wav", "b.wav", "c.wav", "missing.wav"};

    EngineSong song;
    song.samplesPerMeasure = 16 + in.Next8() * 4; // 16 ... 1036 frames
    song.measuresPerBar = 1 + in.Next8() % 8;
    song.measures.resize(1 + in.Next8() % 12);
    for (auto& gain : song.channelGain)
        gain = int32_t(in.Next8()) * 2 - 10; // -10 ... 500
    while (!in.AtEnd()) {
        const uint8_t what = in.Next8();
        if (what < 128) {
            auto& slot = song.measures[what % song.measures.size()].slots[in.Next8() % bm::kChannels];
            const uint8_t which = in.Next8();
            slot.path = paths[which % 4];
            slot.key = bm::SampleRef::Make(1, which % 4, 0, 0, 0, 0);
            slot.start = int32_t(in.Next32());
            slot.length = int32_t(in.Next32() % 4000);
            slot.reverse = in.Next8() & 1;
        } else if (what < 250) {
            auto& envelope = song.envelopes[in.Next8() % bm::kChannels][in.Next8() & 1];
            if (envelope.size() < 8) {
                const int32_t position = int32_t(in.Next32() % 20000) - 100;
                envelope.push_back({position, int32_t(in.Next32())});
            }
        } else {
            break;
        }
    }
    const int64_t master = int64_t(in.Next32() % 300000);

    const int32_t count = song.MeasureCount();
    const size_t samples = size_t(song.samplesPerMeasure) * 2;
    std::vector<int16_t> whole(samples * size_t(count));
    std::vector<int16_t> pieces(whole.size());
    EngineSong copy = song;
    SongRenderer renderer(source);
    renderer.Render(song, 0, count, master, whole.data());
    SongRenderer other(source);
    for (int32_t m = 0; m < count; ++m)
        other.Render(copy, m, 1, master, pieces.data() + size_t(m) * samples);
    if (std::memcmp(whole.data(), pieces.data(), whole.size() * 2) != 0)
        std::abort();
    return 0;
}
