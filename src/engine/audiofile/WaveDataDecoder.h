#pragma once

// The "data" chunk of a wave file decoded piece by piece to 16-bit PCM at
// the file's own rate and channels (at most two), so that memory stays the
// same however long the file is. Open checks the format and, where the
// encoding needs it, reads the data once ahead (where the valid bits of
// wide PCM containers lie, impossible ADPCM block headers): a file that is
// refused is refused before any of it is decoded. MPEG data inside a wave
// file is loaded whole (it is small) and decoded as a stream. Open
// allocates; Next reuses its buffers. One owner; any thread (it reads the
// file).
//
//     WaveDataDecoder decoder;
//     if (decoder.Open(FileByteSource::Open(path), &error)) {
//         std::vector<int16_t> samples;
//         while (decoder.Next(samples, &error)) { ... interleaved samples ... }
//         if (decoder.Failed()) { ... error says why ... }
//     }

#include "core/Error.h"
#include "engine/audiofile/ByteSource.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/WaveDecoder.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace bm {

class WaveDataDecoder {
public:
    bool Open(std::unique_ptr<ByteSource> source, Error* error = nullptr);
    int Rate() const { return m_rate; }
    int Channels() const { return m_channels; }
    // Frames the whole data gives; -1 when only decoding tells (MPEG).
    int64_t Frames() const { return m_frames; }

    // Replaces `out` with the samples of the next piece (whole frames,
    // interleaved). False at the end of the data, or on a failure, which
    // Failed() then tells and *error explains.
    bool Next(std::vector<int16_t>& out, Error* error = nullptr);
    bool Failed() const { return m_failed; }

private:
    // Reads the piece of whole units at m_position into m_piece.
    bool ReadPiece(Error* error);

    std::unique_ptr<ByteSource> m_source;
    WaveCodec m_codec;
    uint64_t m_dataOffset = 0;
    uint64_t m_dataEnd = 0;
    uint64_t m_position = 0;
    size_t m_pieceBytes = 0;
    std::vector<uint8_t> m_piece;
    int m_rate = 0;
    int m_channels = 0;
    int64_t m_frames = -1;
    bool m_failed = false;

    std::vector<uint8_t> m_mpegData;
    MpegStream m_mpeg;
};

} // namespace bm
