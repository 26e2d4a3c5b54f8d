#pragma once

// Little-endian reads and writes of the binary formats (archives, WAV, bitmaps).
// Readers take a pointer to at least the named number of bytes; callers check
// bounds first.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace bm {

inline uint16_t ReadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t ReadLE32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16)
         | (static_cast<uint32_t>(p[3]) << 24);
}

inline int16_t ReadLE16s(const uint8_t* p) { return static_cast<int16_t>(ReadLE16(p)); }
inline int32_t ReadLE32s(const uint8_t* p) { return static_cast<int32_t>(ReadLE32(p)); }

inline uint64_t ReadLE64(const uint8_t* p)
{
    return static_cast<uint64_t>(ReadLE32(p)) | (static_cast<uint64_t>(ReadLE32(p + 4)) << 32);
}

inline void WriteLE16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void WriteLE32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// Appending forms for building a file image in memory.
inline void AppendLE16(std::vector<uint8_t>& out, uint16_t v)
{
    uint8_t b[2];
    WriteLE16(b, v);
    out.insert(out.end(), b, b + 2);
}

inline void AppendLE32(std::vector<uint8_t>& out, uint32_t v)
{
    uint8_t b[4];
    WriteLE32(b, v);
    out.insert(out.end(), b, b + 4);
}

inline void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t size)
{
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

inline void AppendFourCC(std::vector<uint8_t>& out, const char (&tag)[5]) { AppendBytes(out, tag, 4); }

} // namespace bm
