#pragma once

// MPEG fixtures for the audio file tests: silent Layer III frames written by
// hand (always available) and real encodings made with the `lame` command
// (tests that need them skip when it is missing).

#include "engine/audiofile/WaveFixture.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace bm::test {

// `count` MPEG-1 Layer III frames, 128 kbit/s, 44 100 Hz, joint stereo, no
// padding (417 bytes each), with empty side information: they decode to
// 1152 frames of silence each.
inline Bytes SilentMpegFrames(int count)
{
    Bytes frame(417, 0);
    frame[0] = 0xFF;
    frame[1] = 0xFB;
    frame[2] = 0x90;
    frame[3] = 0x64;
    Bytes out;
    for (int i = 0; i < count; ++i)
        out.insert(out.end(), frame.begin(), frame.end());
    return out;
}

// `count` frames of `frameBytes` bytes each under the given four header
// bytes, the rest zero (empty side information).
inline Bytes MpegFrames(const Bytes& header, size_t frameBytes, int count)
{
    Bytes out(frameBytes * static_cast<size_t>(count), 0);
    for (size_t at = 0; at < out.size(); at += frameBytes)
        std::copy(header.begin(), header.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    return out;
}

inline bool HaveLame()
{
    static const bool have = RunCommand({"lame", "--version"}).status == 0;
    return have;
}

// A sine wave of `frames` frames as a 16-bit wave file image.
inline Bytes SineWave(int channels, int rate, int frames, double hz, int amplitude = 12000)
{
    std::vector<int16_t> samples;
    samples.reserve(static_cast<size_t>(frames * channels));
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate)));
        for (int c = 0; c < channels; ++c)
            samples.push_back(v);
    }
    return PcmWave(static_cast<uint16_t>(channels), static_cast<uint32_t>(rate), 16, Samples16(samples));
}

// Encodes a sine wave with lame into `path` (which should end in ".mp3");
// false when lame is missing or fails. Extra lame options may fix the rate.
inline bool MakeMp3(const std::string& path, int channels, int rate, int frames, double hz,
                    std::vector<std::string> options = {})
{
    if (!HaveLame())
        return false;
    const std::string wav = path + ".source.wav";
    if (!WriteFile(wav, AsString(SineWave(channels, rate, frames, hz))))
        return false;
    std::vector<std::string> argv = {"lame", "--quiet"};
    argv.insert(argv.end(), options.begin(), options.end());
    argv.push_back(wav);
    argv.push_back(path);
    return RunCommand(argv).status == 0;
}

} // namespace bm::test
