#pragma once

// Writes 16-bit PCM wave files (44-byte header: RIFF, "fmt " of 16 bytes,
// "data"). Used for canonical output files, generated content and test
// fixtures.

#include "core/Error.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bm {

// How a whole wave file reaches the disk. Both write a temporary file beside
// the target and rename it into place, so no half-written file is ever seen
// under the target's name.
enum class WavWriteMode {
    Durable,   // flushed to the disk before the rename (documents, samples)
    Unflushed, // not flushed: output that can be made again (tool output)
};

// The whole file image: header and interleaved samples.
std::vector<uint8_t> MakeWavImage(std::span<const int16_t> interleaved, int channels, int rate);

// Writes the file. Fails (writing nothing) when the data would not fit the
// 32-bit sizes of the header.
bool WriteWavFile(const std::string& path, std::span<const int16_t> interleaved, int channels, int rate,
                  Error* error = nullptr, WavWriteMode mode = WavWriteMode::Durable);

} // namespace bm
