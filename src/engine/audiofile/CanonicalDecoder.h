#pragma once

// Any sample file (wave or MPEG) as a stream of canonical frames: 44 100 Hz,
// 16-bit, stereo, interleaved. An accepted PCM file is read through the
// canonical reader over its canonical length (the loop's total when it
// loops); anything else is decoded, resampled to 44 100 Hz when its rate is
// not 11 025, 14 700, 22 050 or 44 100 Hz, trimmed of leading silence when
// it is MPEG, and then read the way its cache file would be (frames
// repeated, mono fed to both channels). No stretching.
//
// Every kind of file is decoded piece by piece as Read asks, so memory
// stays small however long the file is (an MPEG file's coded bytes are
// held whole). Open allocates; Read reuses its buffers. A file that cannot
// be decoded is refused by Open with the reason; a failure found later
// (a read error) ends the stream early, and Failed() tells it apart from
// the end. One owner; any thread (it reads files).
//
//     CanonicalDecoder decoder;
//     if (decoder.Open(path, &error))
//         while (size_t n = decoder.Read(piece)) { ... n samples, n / 2 frames ... }
//     if (decoder.Failed()) { ... decoder.Failure() says why ... }

#include "core/Error.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/SincResampler.h"
#include "engine/audiofile/WaveDataDecoder.h"

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
    // Whether the stream ended early on a failure, and why.
    bool Failed() const { return m_failed; }
    const Error& Failure() const { return m_failure; }

private:
    enum class Source { None, Reader, Wave, Mpeg };

    void Reset();
    size_t ReadFromReader(std::span<int16_t> out);
    // Brings the decoded audio to a playable rate from here on.
    bool StartResampling(int rate, Error* error);
    // Makes samples of the playable audio available; false at its end.
    bool Refill();

    Source m_source = Source::None;
    int64_t m_framesHint = -1;
    bool m_failed = false;
    Error m_failure;

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

    // The decoders (an MPEG file's image, or a wave file's data read in
    // pieces), their latest piece, and the resampler when needed.
    std::vector<uint8_t> m_file;
    MpegStream m_mpeg;
    WaveDataDecoder m_wave;
    SincResampler m_resampler;
    bool m_resampling = false;
    bool m_decodedEnded = false;
    std::vector<int16_t> m_block;
};

} // namespace bm
