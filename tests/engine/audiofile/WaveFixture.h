#pragma once

// Wave file images for the audio file tests, built byte by byte without the
// code under test, so that a walking or layout fault shows up.

#include "core/Binary.h"

#include <cctype>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace bm::test {

using Bytes = std::vector<uint8_t>;

struct Chunk {
    Chunk(std::string chunkId, Bytes chunkBody, std::optional<uint32_t> declared = {}, bool padOdd = true)
        : id(std::move(chunkId)), body(std::move(chunkBody)), declaredSize(declared), pad(padOdd)
    {
    }
    std::string id;                       // four characters
    Bytes body;
    std::optional<uint32_t> declaredSize; // written instead of the body size
    bool pad = true;                      // pad byte after an odd body
};

inline Bytes RiffImage(const std::vector<Chunk>& chunks, std::optional<uint32_t> riffSize = {},
                       const std::string& form = "WAVE")
{
    Bytes body;
    for (char c : form)
        body.push_back(static_cast<uint8_t>(c));
    for (const Chunk& chunk : chunks) {
        for (char c : chunk.id)
            body.push_back(static_cast<uint8_t>(c));
        AppendLE32(body, chunk.declaredSize.value_or(static_cast<uint32_t>(chunk.body.size())));
        body.insert(body.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.pad && (chunk.body.size() & 1))
            body.push_back(0);
    }
    Bytes out;
    AppendFourCC(out, "RIFF");
    AppendLE32(out, riffSize.value_or(static_cast<uint32_t>(body.size())));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// A "fmt " body: 16 bytes, plus the extra-size word and extra bytes when
// given. A block size of 0 means channels x bytes per sample.
inline Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t block = 0,
                     std::optional<Bytes> extra = {})
{
    if (block == 0)
        block = static_cast<uint16_t>(channels * ((bits + 7) / 8));
    Bytes out;
    AppendLE16(out, tag);
    AppendLE16(out, channels);
    AppendLE32(out, rate);
    AppendLE32(out, rate * block);
    AppendLE16(out, block);
    AppendLE16(out, bits);
    if (extra) {
        AppendLE16(out, static_cast<uint16_t>(extra->size()));
        out.insert(out.end(), extra->begin(), extra->end());
    }
    return out;
}

inline Bytes Words32(std::initializer_list<int32_t> values)
{
    Bytes out;
    for (int32_t v : values)
        AppendLE32(out, static_cast<uint32_t>(v));
    return out;
}

inline Bytes Samples16(std::span<const int16_t> samples)
{
    Bytes out;
    for (int16_t s : samples)
        AppendLE16(out, static_cast<uint16_t>(s));
    return out;
}

// A plain PCM wave file.
inline Bytes PcmWave(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data)
{
    return RiffImage({{"fmt ", FmtBody(1, channels, rate, bits)}, {"data", data}});
}

// A case name as a parameterised test's name: letters and digits kept,
// anything else turned into '_'.
inline std::string TestName(std::string name)
{
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

inline std::string AsString(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

} // namespace bm::test
