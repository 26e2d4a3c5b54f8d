// The WAV header reader and, for an accepted header, the canonical reader
// over the same bytes: any input gives a result of 0, 1 or 2 and reads stay
// inside the data.

#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    bm::MemoryByteSource source(bytes);
    bm::WaveHeaderInfo info;
    const bm::WaveHeaderResult result = bm::ReadWaveHeader(source, info);
    if (result == bm::WaveHeaderResult::Unreadable)
        return 0;
    if (uint64_t(info.dataOffset) + info.dataSize > size)
        std::abort();
    if (result != bm::WaveHeaderResult::Accepted)
        return 0;
    bm::CanonicalReader reader;
    if (!reader.Open(std::make_unique<bm::MemoryByteSource>(bytes), info) || !reader.Prepare(1024))
        std::abort();
    std::vector<uint8_t> out(4096);
    int64_t total = 0;
    while (const int64_t got = reader.Read(out)) {
        total += got;
        if (total > 16 * int64_t(size))
            std::abort();
    }
    reader.Seek(reader.Length() / 3);
    reader.Read(out);
    return 0;
}
