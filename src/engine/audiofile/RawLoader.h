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

// What the first frame header of an MPEG audio stream says.
struct MpegFrameInfo {
    uint64_t offset = 0;   // of the frame sync
    int version = 0;       // bits 19-20: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer = 0;         // 1, 2 or 3
    int rateIndex = 0;     // 0 ... 2
    int bitrateIndex = 0;  // 0 (free format) ... 14
    uint32_t rate = 0;     // frames per second
    uint16_t channels = 0; // 1 or 2
    uint32_t bitrateKbps = 0; // 0 for free format
};

// Finds the first frame header from byte 0 on that starts a run of
// consistent headers (see MpegFrameScanner.h) and reads it. Syncs with a
// reserved version, layer, rate or bit-rate index are no headers, and a
// stray sync in a tag or in junk is passed over. False when there is none.
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
    uint64_t dataOffset = 0;     // file offset of data[0]
    bool isMpegFile = false;     // loaded from a ".mp3" path
};

// Where the coded data of a wave file lies, for reading it in pieces.
struct WaveDataLocation {
    std::vector<uint8_t> format; // the whole "fmt " chunk
    uint64_t dataOffset = 0;     // file offset of the "data" chunk's first byte
    uint64_t dataSize = 0;       // bytes of it the file holds
};
bool LocateWaveData(ByteSource& source, WaveDataLocation& location, Error* error = nullptr);

// Largest file or data chunk that is loaded into memory.
constexpr uint64_t kMaxRawBytes = uint64_t(1) << 31;

// A path ending in ".mp3" (any case) is an MPEG file; anything else a wave
// file. On failure `raw` is left empty.
bool LoadRaw(const std::string& path, RawAudio& raw, Error* error = nullptr);
bool LoadRawWave(ByteSource& source, RawAudio& raw, Error* error = nullptr);
bool LoadRawMpeg(std::vector<uint8_t> fileBytes, RawAudio& raw, Error* error = nullptr);

} // namespace bm
