#pragma once

// Walks the chunks of a RIFF file: descend into a chunk (the next one, or the
// first with a given identifier), read from it, ascend to the byte after it
// (after the pad byte of an odd-sized chunk). All offsets are 64-bit and
// checked against the real size of the source, so hostile sizes such as
// 0xFFFFFFFF cannot make a reader run past the end or allocate without bound.
//
//     RiffReader riff(source);
//     RiffChunk wave, fmt;
//     if (riff.Descend(wave) && wave.id == FourCC("RIFF") && wave.formType == FourCC("WAVE")
//         && riff.Descend(fmt, &wave, RiffSearch::ById, FourCC("fmt "))) { ... riff.Ascend(fmt); }

#include "engine/audiofile/ByteSource.h"

#include <cstdint>
#include <span>

namespace bm {

constexpr uint32_t FourCC(const char (&tag)[5])
{
    return static_cast<uint32_t>(static_cast<uint8_t>(tag[0])) | (static_cast<uint32_t>(static_cast<uint8_t>(tag[1])) << 8)
         | (static_cast<uint32_t>(static_cast<uint8_t>(tag[2])) << 16)
         | (static_cast<uint32_t>(static_cast<uint8_t>(tag[3])) << 24);
}

struct RiffChunk {
    uint32_t id = 0;
    uint32_t size = 0;        // as declared in the chunk header
    uint32_t formType = 0;    // "RIFF" and "LIST" chunks only
    uint64_t dataOffset = 0;  // first byte after the 8-byte header (the form type of a RIFF or LIST chunk)

    // End of the declared body, without the pad byte.
    uint64_t End() const { return dataOffset + size; }
};

enum class RiffSearch {
    Next,   // take the chunk that starts at the current position
    ById,   // skip chunks until one has the identifier, within the parent
};

class RiffReader {
public:
    explicit RiffReader(ByteSource& source) : m_source(source) {}

    uint64_t Position() const { return m_position; }
    void Seek(uint64_t position) { m_position = position; }

    // Reads the chunk header at the current position (and the form type of a
    // "RIFF" or "LIST" chunk) and leaves the position after it. With ById,
    // chunks of other identifiers are skipped; the search ends at the
    // parent's end. Fails when a header does not lie wholly inside the
    // parent (when given) and the source.
    bool Descend(RiffChunk& chunk, const RiffChunk* parent = nullptr, RiffSearch search = RiffSearch::Next,
                 uint32_t id = 0);

    // Moves to the byte after the chunk and its pad byte. Fails when the
    // declared body runs past the end of the source.
    bool Ascend(const RiffChunk& chunk);

    // Bytes of the chunk's body that the source really holds.
    uint64_t AvailableSize(const RiffChunk& chunk) const;

    // Reads exactly `out.size()` bytes from the current position and moves
    // past them; false (position unchanged) when fewer are there.
    bool ReadExact(std::span<uint8_t> out);

private:
    ByteSource& m_source;
    uint64_t m_position = 0;
};

} // namespace bm
