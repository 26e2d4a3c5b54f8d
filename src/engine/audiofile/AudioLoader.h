#pragma once

// The whole road from a sample file (wave or MPEG) to 16-bit PCM: what the
// sample streams, the cache writer, the size estimate and the command-line
// tool use. Worker or main thread; no shared state apart from the MPEG
// library's one-time initialisation.

#include "core/Error.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/RawLoader.h"
#include "engine/audiofile/WaveHeader.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bm {

// Raw data (MPEG or any wave encoding) decoded to 16-bit PCM at its own rate
// and channels (at most two).
bool DecodeRaw(const RawAudio& raw, PcmAudio& out, Error* error = nullptr);

// A file's own samples as 16-bit PCM: an accepted PCM file read as it is
// (8-bit widened, rate and channels kept), anything else decoded. No
// resampling. For commands that work in the file's own format.
bool LoadPcm(const std::string& path, PcmAudio& out, Error* error = nullptr);

// A file decoded for the conversion path (what is stretched and cached): the
// samples at their own channels, resampled to 44 100 Hz when the rate is not
// 11 025, 14 700, 22 050 or 44 100 Hz. `fromMpeg` tells the cache writer to
// apply the leading-silence trim.
struct DecodedSample {
    PcmAudio pcm;
    bool fromMpeg = false;
};
bool DecodeForConversion(const std::string& path, DecodedSample& out, Error* error = nullptr);

// Brings the audio to 44 100 Hz with a sinc converter unless its rate is one
// of the four rates the canonical reader repeats frames for.
bool ResampleToPlayableRate(PcmAudio& audio, Error* error = nullptr);
// Sinc resampling to any rate (libsamplerate).
bool ResampleAudio(const PcmAudio& in, int targetRate, PcmAudio& out, Error* error = nullptr);

// Leading-silence trim of decoded MPEG data: the index of the first sample
// to keep. The first sample whose magnitude exceeds 1000 among the first
// min(channels x 4000, all) samples is found; the kept data starts 100
// samples before it, at the start of that frame; at least 2 samples (4 bytes)
// are always kept. Without such a sample everything is kept.
size_t LeadingSilenceStart(std::span<const int16_t> samples, int channels);

// The file as canonical frames (44 100 Hz, stereo, interleaved): an accepted
// file through the canonical reader over its canonical length (the loop's
// total when it loops); anything else decoded, resampled where needed, MPEG
// trimmed, then read the same way as its cache file would be. No stretching.
bool LoadCanonical(const std::string& path, std::vector<int16_t>& stereo, Error* error = nullptr);
// Turns 16-bit PCM at 11 025, 14 700, 22 050 or 44 100 Hz into canonical
// frames exactly as the canonical reader reads its cache file.
bool PcmToCanonical(const PcmAudio& pcm, std::vector<int16_t>& stereo, Error* error = nullptr);

// Canonical bytes a wave or MPEG file will take once imported, or 0 when it
// is unreadable or cannot be decoded. `result` (optional) receives the
// header reader's answer, so a caller searching folders can go on after 0.
int64_t EstimateCanonicalBytes(const std::string& path, WaveHeaderResult* result = nullptr);

} // namespace bm
