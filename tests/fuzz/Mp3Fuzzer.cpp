// MP3 handling: the first-frame header scan and format record, decoding
// through libmpg123 (whole and as a stream), and measuring.

#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/RawLoader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    bm::MpegFrameInfo info;
    if (bm::ScanMpegHeader(bytes, info)) {
        if (info.offset + 4 > size || bm::MakeMpegFormatRecord(info).size() != 30)
            std::abort();
    }
    bm::PcmAudio pcm;
    if (bm::DecodeMpeg(bytes, pcm)) {
        if ((pcm.channels != 1 && pcm.channels != 2) || pcm.rate <= 0)
            std::abort();
    }
    bm::MpegStream stream;
    if (stream.Open(bytes)) {
        std::vector<int16_t> piece(4096);
        while (stream.Read(piece) == piece.size()) {
        }
    }
    int64_t frames = 0;
    int rate = 0, channels = 0;
    bm::MeasureMpeg(bytes, frames, rate, channels);
    return 0;
}
