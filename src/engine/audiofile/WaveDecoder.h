#pragma once

// Decodes the wave encodings that the canonical reader does not take to
// 16-bit PCM at the file's own rate: PCM of 8 to 32 bits, IEEE float of 32
// and 64 bits, WAVE_FORMAT_EXTENSIBLE with a PCM or float sub-format, A-law,
// mu-law, IMA ADPCM, Microsoft ADPCM, and MPEG data inside a wave file. More
// than two channels keep the first two. Anything else fails (the sample is
// unavailable). Pure functions; any thread.

#include "core/Error.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/RawLoader.h"

#include <cstdint>
#include <span>

namespace bm {

bool DecodeWaveData(const WaveFormat& format, std::span<const uint8_t> data, PcmAudio& out, Error* error = nullptr);

// Frames DecodeWaveData would give for `dataBytes` of data, without
// decoding; false for an encoding it does not take.
bool CountWaveFrames(const WaveFormat& format, uint64_t dataBytes, int64_t& frames);

} // namespace bm
