#pragma once

// A whole file mapped read-only into memory: large inputs (long wave files
// for the command-line tool) are used in place instead of being copied into
// a fresh buffer. The bytes are the file as it was when mapped; a file that
// another process shortens meanwhile can make later reads fault, so map only
// files this process is the only writer of, or copy out quickly.
//
// Any thread; one owner.

#include "core/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace bm {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps a regular file. An empty file maps to an empty span. False (and
    // nothing mapped) when the file cannot be opened or mapped.
    bool Open(const std::string& path, Error* error = nullptr);
    void Close();

    std::span<const uint8_t> Bytes() const { return {m_data, m_size}; }

private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

} // namespace bm
