// The raw loader of wave files and the decoders of every wave encoding
// behind it: any input loads or fails, decodes or fails, within bounds; and
// decoded in pieces it gives the same samples, or the same refusal, as
// decoded whole.

#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/RawLoader.h"
#include "engine/audiofile/WaveDataDecoder.h"
#include "engine/audiofile/WaveDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    bm::MemoryByteSource source(bytes);
    bm::RawAudio raw;
    if (!bm::LoadRawWave(source, raw))
        return 0;
    if (raw.data.size() > size || raw.format.size() > size)
        std::abort();
    bm::WaveFormat format;
    if (!bm::ParseWaveFormat(raw.format, format))
        return 0;
    // Keep the fuzzer fast: no resampling of huge rate ratios, no MPEG
    // (it has its own target).
    if (format.formatTag == 0x55 || format.formatTag == 0x50)
        return 0;
    bm::PcmAudio pcm;
    int64_t frames = 0;
    const bool counted = bm::CountWaveFrames(format, raw.data.size(), frames);
    const bool whole = bm::DecodeWaveData(format, raw.data, pcm);
    if (whole) {
        if (pcm.channels < 1 || pcm.channels > 2 || pcm.samples.size() % size_t(pcm.channels) != 0)
            std::abort();
        if (!counted || frames != int64_t(pcm.Frames()))
            std::abort();
    }

    bm::WaveDataDecoder decoder;
    std::vector<int16_t> joined, piece;
    bool streamed = decoder.Open(std::make_unique<bm::MemoryByteSource>(bytes));
    if (streamed && decoder.Frames() != frames)
        std::abort();
    while (streamed && decoder.Next(piece))
        joined.insert(joined.end(), piece.begin(), piece.end());
    streamed = streamed && !decoder.Failed();
    if (streamed != whole || (whole && joined != pcm.samples))
        std::abort();

    if (whole && pcm.Frames() < 100000)
        bm::ResampleToPlayableRate(pcm);
    return 0;
}
