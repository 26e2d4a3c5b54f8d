// MP3 handling: the search for the first run of frame headers and the
// format record, the frame survey that refuses noise and damaged streams,
// decoding through libmpg123 (whole and as a stream), and measuring.

#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/MpegFrameScanner.h"
#include "engine/audiofile/RawLoader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    bm::MpegFrameInfo info;
    const bool scanned = bm::ScanMpegHeader(bytes, info);
    if (scanned) {
        bm::MpegFrameHeader header;
        if (info.offset + 4 > size || bm::MakeMpegFormatRecord(info).size() != 30
            || !bm::ParseMpegFrameHeader(bytes, info.offset, header) || header.rate == 0)
            std::abort();
    }
    // The survey starts where the scan does; it refuses only what has no
    // run, or mostly damaged frames.
    bm::MpegStreamSurvey survey;
    bm::Error error;
    const bool accepted = bm::SurveyMpegStream(bytes, survey, &error);
    if (accepted != (scanned && survey.damagedFrames * 2 <= survey.frames))
        std::abort();
    if (scanned && survey.start != info.offset)
        std::abort();
    if (survey.damagedFrames > survey.frames || (!accepted && error.message.empty()))
        std::abort();

    bm::PcmAudio pcm;
    if (bm::DecodeMpeg(bytes, pcm)) {
        if (!accepted || (pcm.channels != 1 && pcm.channels != 2) || pcm.rate <= 0)
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
