#pragma once

// The record that a second copy of the program hands to the running copy:
// a tag, a byte count and that many bytes of data. For the start song the
// tag is 2902 and the data is the path with its terminating zero, so an
// empty path still travels as one byte.
//
// On the wire (little-endian): tag (4 bytes), byte count (4 bytes), data.
// The running copy sends the four bytes of kRespondWord when it accepts a
// connection; the second copy sends its record only after that answer.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bm::platform {

constexpr uint32_t kStartSongTag = 2902;
// "BMr1": the running copy's answer to a connecting copy.
constexpr uint32_t kRespondWord = 0x31724D42;
// Records above this size are refused unread; a path is far smaller.
constexpr uint32_t kMaxCopyDataBytes = 65536;
constexpr size_t kCopyDataHeaderBytes = 8;

struct CopyDataRecord {
    uint32_t tag = 0;
    // The count as the sender gave it; `data` holds exactly that many bytes.
    uint32_t byteCount = 0;
    std::vector<uint8_t> data;
};

// Tag 2902, the path's bytes and a terminating zero; byte count = length + 1.
CopyDataRecord MakeStartSongRecord(std::string_view path);

std::vector<uint8_t> EncodeCopyData(const CopyDataRecord& record);

enum class CopyDataDecode {
    NeedMore, // the bytes so far are a valid beginning
    Complete, // `record` is filled and `consumed` bytes were used
    Invalid,  // the byte count exceeds kMaxCopyDataBytes
};

// Decodes one record from the front of `bytes`, which may hold a part of it.
CopyDataDecode DecodeCopyData(std::span<const uint8_t> bytes, CopyDataRecord& record, size_t& consumed);

// The data read as a zero-terminated text: up to the first zero byte, or all
// of it when there is none.
std::string CopyDataText(const CopyDataRecord& record);

} // namespace bm::platform
