#pragma once

// MPEG audio decoding through libmpg123: 16-bit PCM at the stream's own rate
// and channel count. The library is initialised once for the process; when
// that fails every MPEG file is unavailable and nothing else is affected.
// Any thread (each call uses its own decoder handle).

#include "core/Error.h"
#include "engine/audiofile/PcmAudio.h"

#include <cstdint>
#include <span>

namespace bm {

// Initialises the decoder library on the first call and returns whether it
// is usable; later calls return the first answer. Called once at start-up;
// the decoding functions call it themselves as well.
bool InitialiseMpegDecoder();

// Decodes a whole MPEG audio file image (tags and all). The output takes the
// rate and channels of the first decoded frame; a later part of another
// format is converted to them (channels mapped, rate resampled). Fails when
// the library is unavailable or no frame decodes.
bool DecodeMpeg(std::span<const uint8_t> file, PcmAudio& out, Error* error = nullptr);

// Frames that decoding would give, from a scan of all frame headers (no
// decoding), and the stream's rate and channels; false when none is found.
bool MeasureMpeg(std::span<const uint8_t> file, int64_t& frames, int& rate, int& channels);

// Test seam: replaces the library initialisation (nullptr restores it) and
// forgets the remembered answer.
void SetMpegDecoderInitialiserForTesting(bool (*initialise)());

} // namespace bm
