#include "Sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace bm::e2e {

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t Le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(u[0]) | static_cast<uint32_t>(u[1]) << 8 | static_cast<uint32_t>(u[2]) << 16 |
           static_cast<uint32_t>(u[3]) << 24;
}

uint16_t Le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(u[0] | u[1] << 8);
}

Samples FromBytes(const char* data, size_t bytes)
{
    Samples out(bytes / 4 * 2);
    std::memcpy(out.data(), data, out.size() * 2);
    return out;
}

// The mono sum of a stretch, as doubles.
double Mono(const Samples& s, int64_t frame)
{
    return static_cast<double>(s[static_cast<size_t>(frame) * 2]) + s[static_cast<size_t>(frame) * 2 + 1];
}

} // namespace

Samples ReadRawSound(const std::string& path)
{
    const std::string bytes = ReadAll(path);
    return FromBytes(bytes.data(), bytes.size());
}

Samples ReadWaveSound(const std::string& path)
{
    const std::string bytes = ReadAll(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return {};
    bool canonical = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = Le32(bytes.data() + at + 4);
        const size_t body = at + 8;
        if (id == "fmt " && size >= 16 && body + 16 <= bytes.size()) {
            const char* f = bytes.data() + body;
            canonical = Le16(f) == 1 && Le16(f + 2) == 2 && Le32(f + 4) == kFramesPerSecond && Le16(f + 14) == 16;
        } else if (id == "data") {
            if (!canonical)
                return {};
            return FromBytes(bytes.data() + body, std::min(size, bytes.size() - body));
        }
        at = body + size + (size & 1);
    }
    return {};
}

bool WriteWaveSound(const std::string& path, const Samples& s)
{
    auto le32 = [](std::string& out, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>(v >> (8 * i) & 0xFF);
    };
    auto le16 = [](std::string& out, uint16_t v) {
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>(v >> 8);
    };
    const auto dataBytes = static_cast<uint32_t>(s.size() * 2);
    std::string header = "RIFF";
    le32(header, 36 + dataBytes);
    header += "WAVEfmt ";
    le32(header, 16);
    le16(header, 1);
    le16(header, 2);
    le32(header, kFramesPerSecond);
    le32(header, kFramesPerSecond * 4);
    le16(header, 4);
    le16(header, 16);
    header += "data";
    le32(header, dataBytes);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    for (int16_t v : s) {
        const auto u = static_cast<uint16_t>(v);
        out.put(static_cast<char>(u & 0xFF));
        out.put(static_cast<char>(u >> 8));
    }
    return static_cast<bool>(out);
}

int64_t FirstSounding(const Samples& s, int32_t threshold)
{
    for (size_t i = 0; i < s.size(); ++i) {
        if (std::abs(static_cast<int32_t>(s[i])) > threshold)
            return static_cast<int64_t>(i / 2);
    }
    return -1;
}

std::string SoundMatch::Describe() const
{
    char text[256];
    std::snprintf(text, sizeof text,
                  "%s: played frame %lld is reference frame %lld, %lld frames, gain %.4f, residual %.5f, %lld silent "
                  "gaps",
                  found ? "matched" : "no match", static_cast<long long>(playedStart),
                  static_cast<long long>(referenceStart), static_cast<long long>(frames), gain, residual,
                  static_cast<long long>(silentGaps));
    return text;
}

SoundMatch MatchSound(const Samples& played, const Samples& reference, int64_t maxLag, int64_t frames)
{
    SoundMatch m;
    const int64_t playedFrames = FrameCount(played);
    const int64_t referenceFrames = FrameCount(reference);
    const int64_t anchor = FirstSounding(played);
    if (anchor < 0 || referenceFrames == 0)
        return m;
    // Where a window of the played sound from its first sound on lies in
    // the reference: the best normalised cross-correlation of the mono sums
    // over the reference frames within `maxLag` of the same frame.
    constexpr int64_t kWindow = 4096;
    const int64_t window = std::min(kWindow, playedFrames - anchor);
    double playedEnergy = 0;
    for (int64_t i = 0; i < window; ++i)
        playedEnergy += Mono(played, anchor + i) * Mono(played, anchor + i);
    double best = -2;
    int64_t bestStart = 0;
    const int64_t lowest = std::max<int64_t>(0, anchor - maxLag);
    const int64_t highest = std::min(anchor + maxLag, referenceFrames - window);
    for (int64_t start = lowest; start <= highest; ++start) {
        double cross = 0, energy = 0;
        for (int64_t i = 0; i < window; ++i) {
            const double r = Mono(reference, start + i);
            cross += r * Mono(played, anchor + i);
            energy += r * r;
        }
        if (energy <= 0 || playedEnergy <= 0)
            continue;
        const double score = cross / std::sqrt(energy * playedEnergy);
        if (score > best) {
            best = score;
            bestStart = start;
        }
    }
    if (best < -1)
        return m;
    // Played frame p sounds reference frame p - lag.
    const int64_t bestLag = anchor - bestStart;
    m.found = true;
    m.referenceStart = std::max<int64_t>(0, -bestLag);
    m.playedStart = m.referenceStart + bestLag;
    m.frames = std::min(playedFrames - m.playedStart, referenceFrames - m.referenceStart);
    if (frames > 0)
        m.frames = std::min(m.frames, frames);
    // Least-squares gain over both channels, then the energy left over.
    double cross = 0, referenceSquares = 0, playedSquares = 0;
    const size_t p0 = static_cast<size_t>(m.playedStart) * 2;
    const size_t r0 = static_cast<size_t>(m.referenceStart) * 2;
    const size_t count = static_cast<size_t>(m.frames) * 2;
    for (size_t i = 0; i < count; ++i) {
        const double p = played[p0 + i];
        const double r = reference[r0 + i];
        cross += p * r;
        referenceSquares += r * r;
        playedSquares += p * p;
    }
    m.gain = referenceSquares > 0 ? cross / referenceSquares : 0;
    double rest = 0;
    for (size_t i = 0; i < count; ++i) {
        const double d = played[p0 + i] - m.gain * reference[r0 + i];
        rest += d * d;
    }
    m.residual = playedSquares > 0 ? rest / playedSquares : 1;
    // Underruns: 10 ms blocks that are silent where the reference sounds.
    constexpr int64_t kBlock = kFramesPerSecond / 100;
    for (int64_t b = 0; b + kBlock <= m.frames; b += kBlock) {
        int32_t playedPeak = 0, referencePeak = 0;
        for (int64_t i = 0; i < kBlock * 2; ++i) {
            playedPeak = std::max(playedPeak, std::abs(static_cast<int32_t>(played[p0 + b * 2 + i])));
            referencePeak = std::max(referencePeak, std::abs(static_cast<int32_t>(reference[r0 + b * 2 + i])));
        }
        if (playedPeak <= 2 && referencePeak * std::abs(m.gain) > 256)
            ++m.silentGaps;
    }
    return m;
}

} // namespace bm::e2e
