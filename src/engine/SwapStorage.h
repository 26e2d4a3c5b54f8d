#pragma once

// The file behind the swap file: a canonical wave file (44-byte header,
// 44 100 Hz, 16-bit stereo) opened for reading and writing at any offset of
// its data chunk. WaveSwapStorage writes it directly; the sample stream layer
// may provide its own.
//
// Threads: the engine worker only.

#include <cstddef>
#include <cstdint>
#include <string>

namespace bm::engine {

class SwapStorage {
public:
    virtual ~SwapStorage() = default;
    // Creates (or truncates) the file with a canonical header and data size 0.
    virtual bool Create(const std::string& path) = 0;
    // Sets the data chunk's size (and the RIFF size) and makes the file that
    // long.
    virtual bool SetDataSize(int64_t bytes) = 0;
    // Writes at `offset` bytes into the data chunk, extending it as needed.
    virtual bool Write(int64_t offset, const void* data, size_t bytes) = 0;
    // Reads from `offset` bytes into the data chunk; false unless all bytes
    // were there.
    virtual bool Read(int64_t offset, void* data, size_t bytes) = 0;
    virtual void Close() = 0;
};

} // namespace bm::engine
