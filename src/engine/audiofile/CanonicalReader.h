#pragma once

// Reads an accepted PCM wave file (result 1 of the header reader) as
// canonical audio: 44 100 Hz, 16-bit, stereo, 4 bytes a frame. Lengths,
// positions and counts are canonical bytes. Files at 11 025, 14 700 and
// 22 050 Hz are brought to 44 100 Hz by repeating frames; 8-bit samples b
// become (b - 128) x 256; mono feeds both channels.
//
// Two phases: Open and Prepare allocate; Length, Position, Seek and Read do
// not (Read uses the scratch block made by Prepare, in pieces when asked for
// more). Worker thread only (it reads the file).
//
//     CanonicalReader reader;
//     if (reader.Open(path, info) && reader.Prepare(65536)) {
//         int64_t n = reader.Read(buffer);   // canonical bytes delivered
//     }

#include "engine/audiofile/ByteSource.h"
#include "engine/audiofile/WaveHeader.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace bm {

class CanonicalReader {
public:
    // `info` must come from the header reader with result 1. The position
    // starts at 0.
    bool Open(const std::string& path, const WaveHeaderInfo& info);
    bool Open(std::unique_ptr<ByteSource> source, const WaveHeaderInfo& info);
    void Close();
    bool IsOpen() const { return m_source != nullptr; }

    // Allocates the scratch block for reads of up to `maxCanonicalBytes` at
    // once; larger reads are served in pieces.
    bool Prepare(size_t maxCanonicalBytes);

    // 4 / B x (44100 / R) x N, or the loop's total length when it loops.
    int64_t Length() const;
    int64_t Position() const;
    // Moves to canonical byte p (rounded down to the start of a source frame).
    void Seek(int64_t p);
    // Fills `out` (its size rounded down to whole frames) from the position
    // on; returns the canonical bytes that correspond to the file bytes
    // actually read (fewer at the end of the data). Moves the position.
    int64_t Read(std::span<uint8_t> out);

    const WaveHeaderInfo& Info() const { return m_info; }

private:
    int64_t ReadPiece(uint8_t* out, size_t bytes);

    std::unique_ptr<ByteSource> m_source;
    WaveHeaderInfo m_info;
    uint64_t m_filePosition = 0;
    uint32_t m_repeat = 1; // 44100 / rate
    std::vector<uint8_t> m_scratch;
};

// Canonical length of an accepted file without opening it: the formula of
// CanonicalReader::Length().
int64_t CanonicalLength(const WaveHeaderInfo& info);

} // namespace bm
