#pragma once

// MPEG audio decoding through libmpg123: 16-bit PCM at the stream's own rate
// and channel count. The library is initialised once for the process; when
// that fails every MPEG file is unavailable and nothing else is affected.
// Any thread (each call uses its own decoder handle).

#include "core/Error.h"
#include "engine/audiofile/PcmAudio.h"

#include <cstdint>
#include <memory>
#include <span>

namespace bm {

// Decodes an MPEG audio file image piece by piece, in the format of its
// first frame (later parts of another format are converted: channels
// mapped, rate resampled). Open allocates the decoder; Read decodes into the
// caller's buffer. The image must outlive the stream. One owner; any thread.
//
//     MpegStream stream;
//     if (stream.Open(fileBytes)) {
//         std::vector<int16_t> piece(8192);
//         while (size_t n = stream.Read(piece)) { ... n interleaved samples ... }
//     }
class MpegStream {
public:
    MpegStream();
    ~MpegStream();
    MpegStream(const MpegStream&) = delete;
    MpegStream& operator=(const MpegStream&) = delete;

    // Fails when the library is unavailable, when the bytes hold no run of
    // consistent frame headers or mostly damaged frames, or when no frame
    // decodes.
    bool Open(std::span<const uint8_t> file, Error* error = nullptr);
    void Close();
    int Rate() const;
    int Channels() const;
    // Frames the stream's header announces; -1 when unknown.
    int64_t LengthHint() const;
    // Fills `out` with interleaved samples; fewer only at the end.
    size_t Read(std::span<int16_t> out);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Initialises the decoder library on the first call and returns whether it
// is usable; later calls return the first answer. Called once at start-up;
// the decoding functions call it themselves as well.
bool InitialiseMpegDecoder();

// Decodes a whole MPEG audio file image (tags and all). The output takes the
// rate and channels of the first decoded frame; a later part of another
// format is converted to them (channels mapped, rate resampled). Fails as
// MpegStream::Open does.
bool DecodeMpeg(std::span<const uint8_t> file, PcmAudio& out, Error* error = nullptr);

// Frames that decoding would give, from a scan of all frame headers (no
// decoding), and the stream's rate and channels; false when none is found.
bool MeasureMpeg(std::span<const uint8_t> file, int64_t& frames, int& rate, int& channels);

// Test seam: replaces the library initialisation (nullptr restores it) and
// forgets the remembered answer.
void SetMpegDecoderInitialiserForTesting(bool (*initialise)());

} // namespace bm
