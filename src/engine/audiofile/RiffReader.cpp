#include "engine/audiofile/RiffReader.h"

#include "core/Binary.h"

#include <algorithm>
#include <array>

namespace bm {

namespace {
bool HasFormType(uint32_t id) { return id == FourCC("RIFF") || id == FourCC("LIST"); }
} // namespace

bool RiffReader::ReadExact(std::span<uint8_t> out)
{
    if (m_source.ReadAt(m_position, out) != out.size())
        return false;
    m_position += out.size();
    return true;
}

uint64_t RiffReader::AvailableSize(const RiffChunk& chunk) const
{
    const uint64_t size = m_source.Size();
    if (chunk.dataOffset >= size)
        return 0;
    return std::min<uint64_t>(chunk.size, size - chunk.dataOffset);
}

bool RiffReader::Descend(RiffChunk& chunk, const RiffChunk* parent, RiffSearch search, uint32_t id)
{
    // The search stays inside the parent's body as far as the source holds
    // it; a container that claims more than the file has ends at the file.
    uint64_t limit = m_source.Size();
    if (parent)
        limit = std::min(limit, parent->End());
    uint64_t at = m_position;
    for (;;) {
        std::array<uint8_t, 12> header{};
        if (at + 8 > limit || m_source.ReadAt(at, std::span(header).first(8)) != 8)
            return false;
        RiffChunk found;
        found.id = ReadLE32(header.data());
        found.size = ReadLE32(header.data() + 4);
        found.dataOffset = at + 8;
        uint64_t after = at + 8;
        if (HasFormType(found.id)) {
            if (after + 4 > limit || m_source.ReadAt(after, std::span(header).subspan(8, 4)) != 4)
                return false;
            found.formType = ReadLE32(header.data() + 8);
            after += 4;
        }
        if (search == RiffSearch::Next || found.id == id) {
            chunk = found;
            m_position = after;
            return true;
        }
        // Skip the body and its pad byte; every step moves at least 8 bytes.
        at = found.End() + (found.size & 1u);
    }
}

bool RiffReader::Ascend(const RiffChunk& chunk)
{
    const uint64_t size = m_source.Size();
    if (chunk.End() > size)
        return false;
    // An odd-sized last chunk may lack its pad byte.
    m_position = std::min(chunk.End() + (chunk.size & 1u), size);
    return true;
}

} // namespace bm
