#pragma once

// PNG output for the previews and the help pages' pictures: 8-bit RGB,
// every row filtered with "Sub", compressed with zlib. The same pixels give
// the same bytes on every run.

#include <cstdint>
#include <span>
#include <vector>

namespace bm::art {

// `rgb`: rows top-down, width × 3 bytes each. Empty on a size mismatch.
std::vector<uint8_t> MakePng(std::span<const uint8_t> rgb, int32_t width, int32_t height);

} // namespace bm::art
