// The raw loader of wave files and the decoders of every wave encoding
// behind it: any input loads or fails, decodes or fails, within bounds.

#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/RawLoader.h"
#include "engine/audiofile/WaveDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bm::MemoryByteSource source(std::span<const uint8_t>(data, size));
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
    if (bm::DecodeWaveData(format, raw.data, pcm)) {
        if (pcm.channels < 1 || pcm.channels > 2 || pcm.samples.size() % size_t(pcm.channels) != 0)
            std::abort();
        if (counted && frames != int64_t(pcm.Frames()))
            std::abort();
        if (pcm.Frames() < 100000)
            bm::ResampleToPlayableRate(pcm);
    }
    return 0;
}
