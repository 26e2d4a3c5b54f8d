#pragma once

// Loads the format record and the whole coded data of a wave or MPEG file
// into memory for decoding, and scans the first MPEG frame header. Any
// thread; no shared state.

#include "core/Error.h"
#include "engine/audiofile/ByteSource.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bm {

// What the first frame header of an MPEG audio file says.
struct MpegFrameInfo {
    uint64_t offset = 0;   // of the frame sync
    int version = 0;       // bits 19-20: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
    int rateIndex = 0;     // 0 ... 3
    int bitrateIndex = 0;  // 0 ... 15
    uint32_t rate = 0;     // frames per second; 0 for a reserved version or index
    uint16_t channels = 0; // 1 or 2
    uint32_t bitrateKbps = 0;
};

// Finds the first frame sync (0xFF then a byte of 0xE0 or more) from byte 0
// and reads its header. False when there is none.
bool ScanMpegHeader(std::span<const uint8_t> bytes, MpegFrameInfo& info);

// The 30-byte MPEG Layer III wave format record for a scanned header.
std::vector<uint8_t> MakeMpegFormatRecord(const MpegFrameInfo& info);

// Fields of a format record (the first 16 bytes of "fmt ", plus the extra
// bytes that follow the extra-size word).
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t frameRate = 0;
    uint32_t byteRate = 0;
    uint16_t blockSize = 0;
    uint16_t bitsPerSample = 0;
    std::span<const uint8_t> extra; // empty when the record has none
};
// False when the record is shorter than 16 bytes.
bool ParseWaveFormat(std::span<const uint8_t> record, WaveFormat& format);

struct RawAudio {
    std::vector<uint8_t> format; // the whole "fmt " chunk, or the MPEG record
    std::vector<uint8_t> data;   // the whole "data" chunk, or the whole MPEG file
    bool isMpegFile = false;     // loaded from a ".mp3" path
};

// Largest file or data chunk that is loaded into memory.
constexpr uint64_t kMaxRawBytes = uint64_t(1) << 31;

// A path ending in ".mp3" (any case) is an MPEG file; anything else a wave
// file. On failure `raw` is left empty.
bool LoadRaw(const std::string& path, RawAudio& raw, Error* error = nullptr);
bool LoadRawWave(ByteSource& source, RawAudio& raw, Error* error = nullptr);
bool LoadRawMpeg(std::vector<uint8_t> fileBytes, RawAudio& raw, Error* error = nullptr);

} // namespace bm
