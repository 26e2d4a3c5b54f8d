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

// The whole file image: header and interleaved samples.
std::vector<uint8_t> MakeWavImage(std::span<const int16_t> interleaved, int channels, int rate);

// Writes the file durably (temporary file renamed into place).
bool WriteWavFile(const std::string& path, std::span<const int16_t> interleaved, int channels, int rate,
                  Error* error = nullptr);

} // namespace bm
