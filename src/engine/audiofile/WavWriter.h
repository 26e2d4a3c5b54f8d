#pragma once

// Writes 16-bit PCM wave files (44-byte header: RIFF, "fmt " of 16 bytes,
// "data"). Used for canonical output files, generated content and test
// fixtures.

#include "core/Error.h"
#include "core/ReplacingFile.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bm {

// Largest data chunk whose sizes fit the header's 32-bit fields.
inline constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 36;

// The 44-byte header of a 16-bit PCM wave file with `dataBytes` of data.
std::array<uint8_t, 44> MakeWavHeader(uint32_t dataBytes, int channels, int rate);

// The whole file image: header and interleaved samples.
std::vector<uint8_t> MakeWavImage(std::span<const int16_t> interleaved, int channels, int rate);

// Writes the file under a temporary name beside the target and renames it
// into place, so no half-written file is ever seen under the target's name;
// durable for documents and samples, unflushed for output that can be made
// again. Fails (writing nothing) when the data would not fit the 32-bit sizes
// of the header.
bool WriteWavFile(const std::string& path, std::span<const int16_t> interleaved, int channels, int rate,
                  Error* error = nullptr, ReplaceMode mode = ReplaceMode::Durable);

} // namespace bm
