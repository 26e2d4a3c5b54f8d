#pragma once

// Wave files for the stream tests: 16-bit PCM with optional "loop" and
// "m2st" chunks, written by the tests themselves; a library of one sample.

#include "core/Binary.h"
#include "library/SampleLibrary.h"
#include "support/TempDir.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bm::stream::test {

struct WaveSpec {
    int channels = 2;
    int rate = 44100;
    std::vector<int16_t> samples;
    std::vector<int32_t> loop;  // start, span, cross-fade, total in frames; empty: none
    std::vector<int32_t> m2st;  // words of the body; empty: none
};

inline void Put32(std::string& s, uint32_t v) { for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF); }
inline void Put16(std::string& s, uint16_t v) { s += char(v & 0xFF); s += char(v >> 8); }

inline std::string WaveBytes(const WaveSpec& shape)
{
    std::string body = "WAVEfmt ";
    Put32(body, 16);
    Put16(body, 1);
    Put16(body, uint16_t(shape.channels));
    Put32(body, uint32_t(shape.rate));
    Put32(body, uint32_t(shape.rate * shape.channels * 2));
    Put16(body, uint16_t(shape.channels * 2));
    Put16(body, 16);
    if (!shape.loop.empty()) {
        body += "loop";
        Put32(body, 16);
        for (int32_t v : shape.loop)
            Put32(body, uint32_t(v));
    }
    if (!shape.m2st.empty()) {
        body += "m2st";
        Put32(body, uint32_t(shape.m2st.size() * 4));
        for (int32_t v : shape.m2st)
            Put32(body, uint32_t(v));
    }
    body += "data";
    Put32(body, uint32_t(shape.samples.size() * 2));
    for (int16_t v : shape.samples)
        Put16(body, uint16_t(v));
    std::string file = "RIFF";
    Put32(file, uint32_t(body.size()));
    return file + body;
}

inline void WriteWave(const std::string& path, const WaveSpec& shape) { bm::test::WriteFile(path, WaveBytes(shape)); }

// Stereo frames: left = base + k, right = -(base + k).
inline std::vector<int16_t> Ramp(int frames, int base = 0)
{
    std::vector<int16_t> s(size_t(frames) * 2);
    for (int k = 0; k < frames; ++k) {
        s[size_t(k) * 2] = int16_t(base + k);
        s[size_t(k) * 2 + 1] = int16_t(-(base + k));
    }
    return s;
}

// A library whose only variant, at (0, 0, 0, 0, 0, 0), the test fills in
// through OnlyVariant().
inline SampleLibrary OneVariantLibrary()
{
    SampleLibrary library;
    library.styles.resize(1);
    library.styles[0].groups.resize(1);
    library.styles[0].groups[0].parts.resize(1);
    library.styles[0].groups[0].parts[0].chords.resize(1);
    library.styles[0].groups[0].parts[0].chords[0].entries.resize(1);
    return library;
}

inline SampleDescriptor& OnlyVariant(SampleLibrary& library)
{
    return library.styles[0].groups[0].parts[0].chords[0].entries[0].variants[0];
}

} // namespace bm::stream::test
