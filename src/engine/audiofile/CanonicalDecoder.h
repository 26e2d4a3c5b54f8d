#pragma once

// Any sample file (wave or MPEG) as a stream of canonical frames: 44 100 Hz,
// 16-bit, stereo, interleaved. An accepted PCM file is read through the
// canonical reader over its canonical length (the loop's total when it
// loops); anything else is decoded, resampled to 44 100 Hz when its rate is
// not 11 025, 14 700, 22 050 or 44 100 Hz, trimmed of leading silence when
// it is MPEG, and then read the way its cache file would be (frames
// repeated, mono fed to both channels). No stretching.
//
// MPEG files and accepted PCM files are decoded piece by piece as Read asks,
// so memory stays small however long the file is; other encodings are
// decoded whole when opened. Open allocates; Read reuses its buffers. One
// owner; any thread (it reads files).
//
//     CanonicalDecoder decoder;
//     if (decoder.Open(path, &error))
//         while (size_t n = decoder.Read(piece)) { ... n samples, n / 2 frames ... }

#include "core/Error.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/SincResampler.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bm {

class CanonicalDecoder {
public:
    bool Open(const std::string& path, Error* error = nullptr);
    // Fills `out` (its size rounded down to whole frames) with canonical
    // samples; fewer only at the end. Returns the samples written.
    size_t Read(std::span<int16_t> out);
    // Canonical frames the file is expected to give; -1 when unknown.
    int64_t FramesHint() const { return m_framesHint; }

private:
    enum class Source { None, Reader, Decoded, Mpeg };

    void Reset();
    size_t ReadFromReader(std::span<int16_t> out);
    // Makes samples of the playable audio available; false at its end.
    bool Refill();

    Source m_source = Source::None;
    int64_t m_framesHint = -1;

    // An accepted file: canonical bytes still to deliver.
    CanonicalReader m_reader;
    int64_t m_remaining = 0;
    std::vector<uint8_t> m_piece; // canonical bytes read, not yet handed out
    size_t m_pieceUsed = 0;

    // Decoded audio at a rate the canonical reader takes ("playable"), and
    // how it is brought to canonical frames.
    std::vector<int16_t> m_playable;
    size_t m_position = 0;    // next sample of m_playable
    int m_channels = 0;
    int m_repeat = 1;         // canonical frames per playable frame
    int m_repeatsDone = 0;    // of the current playable frame

    // MPEG: the file image, the decoder, and the resampler when needed.
    std::vector<uint8_t> m_file;
    MpegStream m_mpeg;
    SincResampler m_resampler;
    bool m_resampling = false;
    bool m_mpegEnded = false;
    std::vector<int16_t> m_block;
};

} // namespace bm
