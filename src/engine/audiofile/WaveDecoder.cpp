#include "engine/audiofile/WaveDecoder.h"

#include "core/Binary.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/WaveHeader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace bm {

namespace {

// The sub-format GUID of WAVE_FORMAT_EXTENSIBLE: the format tag in its first
// two bytes, then these fourteen.
constexpr std::array<uint8_t, 14> kSubFormatTail = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                                    0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The encoding to decode: the tag itself, or the sub-format of an
// extensible record; 0 when an extensible record has no known sub-format.
uint16_t EffectiveTag(const WaveFormat& format)
{
    if (format.formatTag != kWaveFormatExtensible)
        return format.formatTag;
    // valid bits (2), channel mask (4), sub-format GUID (16)
    if (format.extra.size() < 22)
        return 0;
    const auto guid = format.extra.subspan(6, 16);
    if (!std::equal(kSubFormatTail.begin(), kSubFormatTail.end(), guid.begin() + 2))
        return 0;
    return ReadLE16(guid.data());
}

int OutputChannels(const WaveFormat& format)
{
    return std::min<int>(format.channels, 2);
}

int16_t FloatSample(double x)
{
    if (std::isnan(x))
        return 0;
    const double v = std::floor(x * 32768.0 + 0.5);
    return static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
}

int16_t MuLawSample(uint8_t u)
{
    u = static_cast<uint8_t>(~u);
    const int exponent = (u >> 4) & 7;
    const int mantissa = u & 0x0F;
    const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return static_cast<int16_t>((u & 0x80) ? -magnitude : magnitude);
}

int16_t ALawSample(uint8_t a)
{
    a ^= 0x55;
    const int exponent = (a >> 4) & 7;
    const int mantissa = a & 0x0F;
    const int magnitude = exponent == 0 ? (mantissa << 4) + 8 : ((mantissa << 4) + 0x108) << (exponent - 1);
    return static_cast<int16_t>((a & 0x80) ? magnitude : -magnitude);
}

// Bytes of one sample for the linear encodings; 0 when not decodable.
size_t LinearSampleBytes(uint16_t tag, const WaveFormat& format)
{
    const uint16_t bits = format.bitsPerSample;
    if (tag == kWaveFormatPcm)
        return bits >= 1 && bits <= 32 ? (bits + 7u) / 8u : 0;
    if (tag == kWaveFormatIeeeFloat)
        return bits == 32 ? 4 : bits == 64 ? 8 : 0;
    if (tag == kWaveFormatALaw || tag == kWaveFormatMuLaw)
        return bits == 8 ? 1 : 0;
    return 0;
}

bool DecodeLinear(uint16_t tag, const WaveFormat& format, std::span<const uint8_t> data, PcmAudio& out)
{
    const size_t sampleBytes = LinearSampleBytes(tag, format);
    const size_t block = format.blockSize;
    if (sampleBytes == 0 || block < format.channels * sampleBytes)
        return false;
    const size_t frames = data.size() / block;
    const int channels = OutputChannels(format);
    out.samples.resize(frames * static_cast<size_t>(channels));
    int16_t* o = out.samples.data();
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* frame = data.data() + f * block;
        for (int c = 0; c < channels; ++c) {
            const uint8_t* s = frame + static_cast<size_t>(c) * sampleBytes;
            int16_t v = 0;
            if (tag == kWaveFormatPcm) {
                // The top 16 bits; 8-bit samples are unsigned.
                if (sampleBytes == 1)
                    v = static_cast<int16_t>((s[0] - 128) * 256);
                else
                    v = ReadLE16s(s + sampleBytes - 2);
            } else if (tag == kWaveFormatIeeeFloat) {
                if (sampleBytes == 4) {
                    float x;
                    uint32_t bits = ReadLE32(s);
                    std::memcpy(&x, &bits, 4);
                    v = FloatSample(x);
                } else {
                    double x;
                    uint64_t bits = ReadLE64(s);
                    std::memcpy(&x, &bits, 8);
                    v = FloatSample(x);
                }
            } else if (tag == kWaveFormatALaw) {
                v = ALawSample(s[0]);
            } else {
                v = MuLawSample(s[0]);
            }
            *o++ = v;
        }
    }
    return true;
}

// IMA ADPCM: per channel a 4-byte header (first sample, step index), then
// groups of 4 bytes per channel holding 8 four-bit codes, low nibble first.
constexpr std::array<int, 89> kImaSteps = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
constexpr std::array<int, 16> kImaIndexSteps = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct ImaLayout {
    size_t block = 0;
    size_t channels = 0;
    size_t groups = 0; // 4-byte groups per channel in a full block
    size_t FramesPerBlock() const { return groups * 8 + 1; }
};

bool GetImaLayout(const WaveFormat& format, ImaLayout& layout)
{
    layout.block = format.blockSize;
    layout.channels = format.channels;
    if (format.bitsPerSample != 4 || layout.channels == 0 || layout.block <= 4 * layout.channels
        || (layout.block - 4 * layout.channels) % (4 * layout.channels) != 0)
        return false;
    layout.groups = (layout.block - 4 * layout.channels) / (4 * layout.channels);
    return true;
}

// Frames in `bytes` of data: whole blocks, plus what a short last block holds.
int64_t ImaFrames(const ImaLayout& layout, uint64_t bytes)
{
    const uint64_t full = bytes / layout.block;
    const uint64_t rest = bytes % layout.block;
    int64_t frames = static_cast<int64_t>(full * layout.FramesPerBlock());
    if (rest >= 4 * layout.channels)
        frames += static_cast<int64_t>((rest - 4 * layout.channels) / (4 * layout.channels) * 8 + 1);
    return frames;
}

bool DecodeIma(const WaveFormat& format, std::span<const uint8_t> data, PcmAudio& out)
{
    ImaLayout layout;
    if (!GetImaLayout(format, layout))
        return false;
    const size_t outChannels = static_cast<size_t>(OutputChannels(format));
    out.samples.assign(static_cast<size_t>(ImaFrames(layout, data.size())) * outChannels, 0);
    size_t frameBase = 0;
    for (size_t at = 0; at + 4 * layout.channels <= data.size(); at += layout.block) {
        const size_t blockBytes = std::min(layout.block, data.size() - at);
        const size_t groups = (blockBytes - 4 * layout.channels) / (4 * layout.channels);
        const uint8_t* block = data.data() + at;
        for (size_t c = 0; c < outChannels; ++c) {
            int predictor = ReadLE16s(block + 4 * c);
            int index = std::clamp<int>(block[4 * c + 2], 0, 88);
            out.samples[frameBase * outChannels + c] = static_cast<int16_t>(predictor);
            for (size_t g = 0; g < groups; ++g) {
                const uint8_t* group = block + 4 * layout.channels + (g * layout.channels + c) * 4;
                for (size_t k = 0; k < 8; ++k) {
                    const int code = (group[k / 2] >> ((k & 1) * 4)) & 0x0F;
                    const int step = kImaSteps[static_cast<size_t>(index)];
                    int diff = step >> 3;
                    if (code & 1)
                        diff += step >> 2;
                    if (code & 2)
                        diff += step >> 1;
                    if (code & 4)
                        diff += step;
                    predictor = std::clamp(code & 8 ? predictor - diff : predictor + diff, -32768, 32767);
                    index = std::clamp(index + kImaIndexSteps[static_cast<size_t>(code)], 0, 88);
                    out.samples[(frameBase + 1 + g * 8 + k) * outChannels + c] = static_cast<int16_t>(predictor);
                }
            }
        }
        frameBase += 1 + groups * 8;
    }
    return true;
}

// Microsoft ADPCM: per block a header of predictor indices, deltas and two
// starting samples per channel, then four-bit codes, high nibble first,
// channels alternating code by code.
constexpr std::array<int, 16> kMsAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                               768, 614, 512, 409, 307, 230, 230, 230};
constexpr std::array<std::array<int, 2>, 7> kMsCoefficients = {
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};

// Real streams stay far below this; it keeps hostile ones from overflowing.
constexpr int64_t kMaxMsDelta = int64_t(1) << 24;

struct MsLayout {
    size_t block = 0;
    size_t channels = 0;
    size_t codes = 0; // four-bit codes per channel in a full block
    std::vector<std::array<int, 2>> coefficients;
    size_t FramesPerBlock() const { return codes + 2; }
};

bool GetMsLayout(const WaveFormat& format, MsLayout& layout)
{
    layout.block = format.blockSize;
    layout.channels = format.channels;
    if (format.bitsPerSample != 4 || layout.channels == 0 || layout.block < 7 * layout.channels)
        return false;
    layout.codes = (layout.block - 7 * layout.channels) * 2 / layout.channels;
    // Samples per block (2), coefficient count (2), the pairs; the standard
    // seven when the record has none.
    layout.coefficients.assign(kMsCoefficients.begin(), kMsCoefficients.end());
    if (format.extra.size() >= 4) {
        const size_t count = ReadLE16(format.extra.data() + 2);
        if (count >= 1 && format.extra.size() >= 4 + count * 4) {
            layout.coefficients.resize(count);
            for (size_t i = 0; i < count; ++i)
                layout.coefficients[i] = {ReadLE16s(format.extra.data() + 4 + 4 * i),
                                          ReadLE16s(format.extra.data() + 6 + 4 * i)};
        }
    }
    return true;
}

int64_t MsFrames(const MsLayout& layout, uint64_t bytes)
{
    const uint64_t full = bytes / layout.block;
    const uint64_t rest = bytes % layout.block;
    int64_t frames = static_cast<int64_t>(full * layout.FramesPerBlock());
    if (rest >= 7 * layout.channels)
        frames += static_cast<int64_t>((rest - 7 * layout.channels) * 2 / layout.channels + 2);
    return frames;
}

bool DecodeMsAdpcm(const WaveFormat& format, std::span<const uint8_t> data, PcmAudio& out)
{
    MsLayout layout;
    if (!GetMsLayout(format, layout))
        return false;
    const size_t channels = layout.channels;
    const size_t outChannels = static_cast<size_t>(OutputChannels(format));
    out.samples.assign(static_cast<size_t>(MsFrames(layout, data.size())) * outChannels, 0);
    std::vector<int> coef1(channels), coef2(channels), delta(channels), sample1(channels), sample2(channels);
    size_t frameBase = 0;
    for (size_t at = 0; at + 7 * channels <= data.size(); at += layout.block) {
        const size_t blockBytes = std::min(layout.block, data.size() - at);
        const uint8_t* block = data.data() + at;
        for (size_t c = 0; c < channels; ++c) {
            const size_t predictor = std::min<size_t>(block[c], layout.coefficients.size() - 1);
            coef1[c] = layout.coefficients[predictor][0];
            coef2[c] = layout.coefficients[predictor][1];
            delta[c] = ReadLE16s(block + channels + 2 * c);
            sample1[c] = ReadLE16s(block + 3 * channels + 2 * c);
            sample2[c] = ReadLE16s(block + 5 * channels + 2 * c);
        }
        for (size_t c = 0; c < outChannels; ++c) {
            out.samples[frameBase * outChannels + c] = static_cast<int16_t>(sample2[c]);
            out.samples[(frameBase + 1) * outChannels + c] = static_cast<int16_t>(sample1[c]);
        }
        const size_t codes = (blockBytes - 7 * channels) * 2; // all channels
        for (size_t i = 0; i < codes / channels * channels; ++i) {
            const uint8_t byte = block[7 * channels + i / 2];
            const int code = (i & 1) ? (byte & 0x0F) : (byte >> 4);
            const int signedCode = code >= 8 ? code - 16 : code;
            const size_t c = i % channels;
            // 64-bit: coefficients from the file and a growing delta could
            // overflow 32 bits.
            const int64_t predicted = (int64_t(sample1[c]) * coef1[c] + int64_t(sample2[c]) * coef2[c]) / 256;
            const int value = static_cast<int>(std::clamp<int64_t>(predicted + int64_t(signedCode) * delta[c], -32768, 32767));
            sample2[c] = sample1[c];
            sample1[c] = value;
            delta[c] = static_cast<int>(std::clamp<int64_t>(int64_t(kMsAdaptation[static_cast<size_t>(code)]) * delta[c] / 256, 16, kMaxMsDelta));
            if (c < outChannels)
                out.samples[(frameBase + 2 + i / channels) * outChannels + c] = static_cast<int16_t>(value);
        }
        frameBase += 2 + codes / channels;
    }
    return true;
}

} // namespace

bool DecodeWaveData(const WaveFormat& format, std::span<const uint8_t> data, PcmAudio& out, Error* error)
{
    out = PcmAudio{};
    const uint16_t tag = EffectiveTag(format);
    if (tag == kWaveFormatMpeg || tag == kWaveFormatMpegLayer3)
        return DecodeMpeg(data, out, error);
    if (format.channels == 0 || format.frameRate == 0 || format.frameRate > 1'000'000)
        return Fail(error, "the format has no channels or an impossible rate");
    out.channels = OutputChannels(format);
    out.rate = static_cast<int>(format.frameRate);
    bool ok = false;
    switch (tag) {
    case kWaveFormatPcm:
    case kWaveFormatIeeeFloat:
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
        ok = DecodeLinear(tag, format, data, out);
        break;
    case kWaveFormatImaAdpcm:
        ok = DecodeIma(format, data, out);
        break;
    case kWaveFormatAdpcm:
        ok = DecodeMsAdpcm(format, data, out);
        break;
    default:
        break;
    }
    if (!ok) {
        out = PcmAudio{};
        return Fail(error, "the wave encoding (format tag " + std::to_string(format.formatTag) + ", "
                               + std::to_string(format.bitsPerSample) + " bits) cannot be decoded");
    }
    return true;
}

bool CountWaveFrames(const WaveFormat& format, uint64_t dataBytes, int64_t& frames)
{
    frames = 0;
    const uint16_t tag = EffectiveTag(format);
    if (format.channels == 0)
        return false;
    switch (tag) {
    case kWaveFormatPcm:
    case kWaveFormatIeeeFloat:
    case kWaveFormatALaw:
    case kWaveFormatMuLaw: {
        const size_t sampleBytes = LinearSampleBytes(tag, format);
        if (sampleBytes == 0 || format.blockSize < format.channels * sampleBytes)
            return false;
        frames = static_cast<int64_t>(dataBytes / format.blockSize);
        return true;
    }
    case kWaveFormatImaAdpcm: {
        ImaLayout layout;
        if (!GetImaLayout(format, layout))
            return false;
        frames = ImaFrames(layout, dataBytes);
        return true;
    }
    case kWaveFormatAdpcm: {
        MsLayout layout;
        if (!GetMsLayout(format, layout))
            return false;
        frames = MsFrames(layout, dataBytes);
        return true;
    }
    default:
        return false;
    }
}

} // namespace bm
