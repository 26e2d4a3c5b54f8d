#include "engine/audiofile/WaveDecoder.h"

#include "core/Binary.h"
#include "engine/audiofile/MpegDecoder.h"
#include "engine/audiofile/WaveHeader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

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

// Microsoft ADPCM: per block a header of predictor indices, deltas and two
// starting samples per channel, then four-bit codes, high nibble first,
// channels alternating code by code.
constexpr std::array<int, 16> kMsAdaptation = {230, 230, 230, 230, 307, 409, 512, 614,
                                               768, 614, 512, 409, 307, 230, 230, 230};
constexpr std::array<std::array<int, 2>, 7> kMsCoefficients = {
    {{256, 0}, {512, -256}, {0, 0}, {192, 64}, {240, 0}, {460, -208}, {392, -232}}};

// Real streams stay far below this; it keeps hostile ones from overflowing.
constexpr int64_t kMaxMsDelta = int64_t(1) << 24;


// The valid bits of an extensible record; 0 when it names none.
int ExtensibleValidBits(const WaveFormat& format)
{
    return format.formatTag == kWaveFormatExtensible && format.extra.size() >= 2 ? ReadLE16(format.extra.data()) : 0;
}

std::string Plural(size_t n, const char* one)
{
    return std::to_string(n) + " " + one + (n == 1 ? "" : "s");
}

// PCM: containers of block size / channels bytes, each holding the valid
// bits (the extensible record's valid bits, else the bit count).
bool PreparePcm(const WaveFormat& format, WaveCodec& codec, Error* error)
{
    const size_t channels = format.channels;
    const size_t block = format.blockSize;
    if (block < channels || block % channels != 0)
        return Fail(error, ErrorCategory::Damaged,
                    "the block size of " + Plural(block, "byte") + " does not hold " + Plural(channels, "channel")
                        + " of whole sample containers");
    codec.containerBytes = block / channels;
    const int extensibleBits = ExtensibleValidBits(format);
    codec.validBits = extensibleBits != 0 ? extensibleBits : format.bitsPerSample;
    if (codec.containerBytes > 4)
        return Fail(error, ErrorCategory::Unsupported,
                    "PCM samples in " + Plural(codec.containerBytes, "byte") + " containers cannot be decoded");
    if (codec.validBits == 0 || size_t(codec.validBits) > codec.containerBytes * 8
        || (extensibleBits != 0 && format.bitsPerSample != 0 && extensibleBits > format.bitsPerSample))
        return Fail(error, ErrorCategory::Damaged,
                    std::to_string(codec.validBits) + "-bit samples (" + std::to_string(format.bitsPerSample)
                        + " bits stored) do not fit " + Plural(codec.containerBytes, "byte") + " containers");
    codec.unitBytes = block;
    return true;
}

// Float, A-law, mu-law: the sample size follows from the bit count; the
// samples are packed at the start of each frame.
bool PrepareCompanded(const WaveFormat& format, WaveCodec& codec)
{
    const uint16_t bits = format.bitsPerSample;
    if (codec.tag == kWaveFormatIeeeFloat)
        codec.sampleBytes = bits == 32 ? 4 : bits == 64 ? 8 : 0;
    else
        codec.sampleBytes = bits == 8 ? 1 : 0;
    if (codec.sampleBytes == 0 || format.blockSize < format.channels * codec.sampleBytes)
        return false;
    codec.unitBytes = format.blockSize;
    return true;
}

// IMA ADPCM: per channel a 4-byte header (first sample, step index, a
// reserved 0), then groups of 4 bytes per channel holding 8 four-bit codes,
// low nibble first.
bool PrepareIma(const WaveFormat& format, WaveCodec& codec)
{
    const size_t block = format.blockSize;
    const size_t channels = format.channels;
    if (format.bitsPerSample != 4 || block <= 4 * channels || (block - 4 * channels) % (4 * channels) != 0)
        return false;
    codec.unitBytes = block;
    codec.framesPerBlock = (block - 4 * channels) / (4 * channels) * 8 + 1;
    return true;
}

bool PrepareMsAdpcm(const WaveFormat& format, WaveCodec& codec)
{
    const size_t block = format.blockSize;
    const size_t channels = format.channels;
    if (format.bitsPerSample != 4 || block < 7 * channels)
        return false;
    codec.unitBytes = block;
    codec.framesPerBlock = (block - 7 * channels) * 2 / channels + 2;
    // Samples per block (2), coefficient count (2), the pairs; the standard
    // seven when the record has none.
    codec.coefficients.assign(kMsCoefficients.begin(), kMsCoefficients.end());
    if (format.extra.size() >= 4) {
        const size_t count = ReadLE16(format.extra.data() + 2);
        if (count >= 1 && format.extra.size() >= 4 + count * 4) {
            codec.coefficients.resize(count);
            for (size_t i = 0; i < count; ++i)
                codec.coefficients[i] = {ReadLE16s(format.extra.data() + 4 + 4 * i),
                                         ReadLE16s(format.extra.data() + 6 + 4 * i)};
        }
    }
    return true;
}

// The container's bits as an unsigned number (at most 4 bytes).
uint32_t ContainerBits(const uint8_t* s, size_t bytes)
{
    uint32_t raw = 0;
    for (size_t b = 0; b < bytes; ++b)
        raw |= uint32_t(s[b]) << (8 * b);
    return raw;
}

// The low `bits` bits of `raw` as a signed number.
int32_t SignExtend(uint32_t raw, int bits)
{
    const uint32_t shift = 32u - static_cast<uint32_t>(bits);
    return static_cast<int32_t>(raw << shift) >> shift;
}

int16_t PcmSample(const WaveCodec& codec, const uint8_t* s)
{
    const size_t bytes = codec.containerBytes;
    // 8-bit containers are unsigned.
    if (bytes == 1)
        return static_cast<int16_t>((s[0] - 128) * 256);
    if (!codec.rightJustified)
        return ReadLE16s(s + bytes - 2); // the top 16 bits
    const int bits = codec.validBits;
    const int32_t value = SignExtend(ContainerBits(s, bytes), bits);
    return static_cast<int16_t>(bits >= 16 ? value >> (bits - 16) : value * (1 << (16 - bits)));
}

void DecodeLinear(const WaveCodec& codec, std::span<const uint8_t> data, std::vector<int16_t>& out)
{
    const size_t block = codec.unitBytes;
    const size_t frames = data.size() / block;
    const size_t channels = static_cast<size_t>(codec.outChannels);
    const size_t stride = codec.tag == kWaveFormatPcm ? codec.containerBytes : codec.sampleBytes;
    const size_t base = out.size();
    out.resize(base + frames * channels);
    int16_t* o = out.data() + base;
    for (size_t f = 0; f < frames; ++f) {
        const uint8_t* frame = data.data() + f * block;
        for (size_t c = 0; c < channels; ++c) {
            const uint8_t* s = frame + c * stride;
            int16_t v = 0;
            if (codec.tag == kWaveFormatPcm) {
                v = PcmSample(codec, s);
            } else if (codec.tag == kWaveFormatIeeeFloat) {
                if (codec.sampleBytes == 4) {
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
            } else if (codec.tag == kWaveFormatALaw) {
                v = ALawSample(s[0]);
            } else {
                v = MuLawSample(s[0]);
            }
            *o++ = v;
        }
    }
}

// Fails at the first impossible IMA block header in `data`.
bool CheckImaHeaders(const WaveCodec& codec, std::span<const uint8_t> data, uint64_t offset, Error* error)
{
    const size_t channels = static_cast<size_t>(codec.channels);
    for (size_t at = 0; at + 4 * channels <= data.size(); at += codec.unitBytes) {
        for (size_t c = 0; c < channels; ++c) {
            const size_t index = at + 4 * c + 2;
            if (data[index] > 88)
                return Fail(error, ErrorCategory::Damaged,
                            "an IMA ADPCM block header has step index " + std::to_string(data[index]) + " (at most 88)",
                            static_cast<int64_t>(offset + index));
            if (data[index + 1] != 0)
                return Fail(error, ErrorCategory::Damaged, "an IMA ADPCM block header's reserved byte is not 0",
                            static_cast<int64_t>(offset + index + 1));
        }
    }
    return true;
}

// Frames in `bytes` of ADPCM data: whole blocks, plus what a short last
// block holds after its header.
int64_t AdpcmFrames(const WaveCodec& codec, uint64_t bytes)
{
    const uint64_t full = bytes / codec.unitBytes;
    const uint64_t rest = bytes % codec.unitBytes;
    const uint64_t channels = static_cast<uint64_t>(codec.channels);
    int64_t frames = static_cast<int64_t>(full * codec.framesPerBlock);
    if (codec.tag == kWaveFormatImaAdpcm && rest >= 4 * channels)
        frames += static_cast<int64_t>((rest - 4 * channels) / (4 * channels) * 8 + 1);
    if (codec.tag == kWaveFormatAdpcm && rest >= 7 * channels)
        frames += static_cast<int64_t>((rest - 7 * channels) * 2 / channels + 2);
    return frames;
}

bool DecodeIma(const WaveCodec& codec, std::span<const uint8_t> data, uint64_t offset, std::vector<int16_t>& out,
               Error* error)
{
    if (!CheckImaHeaders(codec, data, offset, error))
        return false;
    const size_t channels = static_cast<size_t>(codec.channels);
    const size_t outChannels = static_cast<size_t>(codec.outChannels);
    const size_t base = out.size();
    out.resize(base + static_cast<size_t>(AdpcmFrames(codec, data.size())) * outChannels, 0);
    int16_t* samples = out.data() + base;
    size_t frameBase = 0;
    for (size_t at = 0; at + 4 * channels <= data.size(); at += codec.unitBytes) {
        const size_t blockBytes = std::min(codec.unitBytes, data.size() - at);
        const size_t groups = (blockBytes - 4 * channels) / (4 * channels);
        const uint8_t* block = data.data() + at;
        for (size_t c = 0; c < outChannels; ++c) {
            int predictor = ReadLE16s(block + 4 * c);
            int index = block[4 * c + 2];
            samples[frameBase * outChannels + c] = static_cast<int16_t>(predictor);
            for (size_t g = 0; g < groups; ++g) {
                const uint8_t* group = block + 4 * channels + (g * channels + c) * 4;
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
                    samples[(frameBase + 1 + g * 8 + k) * outChannels + c] = static_cast<int16_t>(predictor);
                }
            }
        }
        frameBase += 1 + groups * 8;
    }
    return true;
}

void DecodeMsAdpcm(const WaveCodec& codec, std::span<const uint8_t> data, std::vector<int16_t>& out)
{
    const size_t channels = static_cast<size_t>(codec.channels);
    const size_t outChannels = static_cast<size_t>(codec.outChannels);
    const size_t base = out.size();
    out.resize(base + static_cast<size_t>(AdpcmFrames(codec, data.size())) * outChannels, 0);
    int16_t* samples = out.data() + base;
    std::vector<int> coef1(channels), coef2(channels), delta(channels), sample1(channels), sample2(channels);
    size_t frameBase = 0;
    for (size_t at = 0; at + 7 * channels <= data.size(); at += codec.unitBytes) {
        const size_t blockBytes = std::min(codec.unitBytes, data.size() - at);
        const uint8_t* block = data.data() + at;
        for (size_t c = 0; c < channels; ++c) {
            const size_t predictor = std::min<size_t>(block[c], codec.coefficients.size() - 1);
            coef1[c] = codec.coefficients[predictor][0];
            coef2[c] = codec.coefficients[predictor][1];
            delta[c] = ReadLE16s(block + channels + 2 * c);
            sample1[c] = ReadLE16s(block + 3 * channels + 2 * c);
            sample2[c] = ReadLE16s(block + 5 * channels + 2 * c);
        }
        for (size_t c = 0; c < outChannels; ++c) {
            samples[frameBase * outChannels + c] = static_cast<int16_t>(sample2[c]);
            samples[(frameBase + 1) * outChannels + c] = static_cast<int16_t>(sample1[c]);
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
                samples[(frameBase + 2 + i / channels) * outChannels + c] = static_cast<int16_t>(value);
        }
        frameBase += 2 + codes / channels;
    }
}

} // namespace

bool WaveCodec::IsMpeg() const
{
    return tag == kWaveFormatMpeg || tag == kWaveFormatMpegLayer3;
}

bool WaveCodec::NeedsScan() const
{
    return tag == kWaveFormatImaAdpcm
        || (tag == kWaveFormatPcm && containerBytes >= 2 && size_t(validBits) < containerBytes * 8);
}

bool PrepareWaveCodec(const WaveFormat& format, WaveCodec& codec, Error* error)
{
    codec = WaveCodec{};
    codec.tag = EffectiveTag(format);
    if (codec.IsMpeg())
        return true;
    if (format.channels == 0 || format.frameRate == 0 || format.frameRate > 1'000'000)
        return Fail(error, ErrorCategory::Damaged, "the format has no channels or an impossible rate");
    codec.channels = format.channels;
    codec.outChannels = std::min<int>(format.channels, 2);
    codec.rate = static_cast<int>(format.frameRate);
    bool ok = false;
    switch (codec.tag) {
    case kWaveFormatPcm:
        return PreparePcm(format, codec, error);
    case kWaveFormatIeeeFloat:
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
        ok = PrepareCompanded(format, codec);
        break;
    case kWaveFormatImaAdpcm:
        ok = PrepareIma(format, codec);
        break;
    case kWaveFormatAdpcm:
        ok = PrepareMsAdpcm(format, codec);
        break;
    default:
        break;
    }
    if (!ok)
        return Fail(error, ErrorCategory::Unsupported,
                    "the wave encoding (format tag " + std::to_string(format.formatTag) + ", "
                        + std::to_string(format.bitsPerSample) + " bits) cannot be decoded");
    return true;
}

bool ScanWaveData(const WaveCodec& codec, WaveDataScan& scan, std::span<const uint8_t> data, uint64_t offset,
                  Error* error)
{
    if (codec.tag == kWaveFormatImaAdpcm)
        return CheckImaHeaders(codec, data, offset, error);
    if (!codec.NeedsScan())
        return true;
    const size_t bytes = codec.containerBytes;
    const int bits = codec.validBits;
    const uint32_t lowMask = (1u << (bytes * 8 - static_cast<size_t>(bits))) - 1u;
    const uint32_t containerMask = bytes == 4 ? 0xFFFFFFFFu : (1u << (bytes * 8)) - 1u;
    const size_t channels = static_cast<size_t>(codec.channels);
    for (size_t at = 0; at + codec.unitBytes <= data.size(); at += codec.unitBytes) {
        for (size_t c = 0; c < channels; ++c) {
            const uint32_t raw = ContainerBits(data.data() + at + c * bytes, bytes);
            if (raw & lowMask)
                scan.lowBitsAllZero = false;
            if ((static_cast<uint32_t>(SignExtend(raw, bits)) & containerMask) != raw)
                scan.topBitsAllSigned = false;
        }
        if (!scan.lowBitsAllZero && !scan.topBitsAllSigned)
            break; // settled: neither layout fits all, so the standard one is kept
    }
    return true;
}

void SettleWaveCodec(WaveCodec& codec, const WaveDataScan& scan)
{
    codec.rightJustified = codec.NeedsScan() && codec.tag == kWaveFormatPcm && !scan.lowBitsAllZero
                        && scan.topBitsAllSigned;
}

bool DecodeWaveUnits(const WaveCodec& codec, std::span<const uint8_t> data, uint64_t offset, std::vector<int16_t>& out,
                     Error* error)
{
    switch (codec.tag) {
    case kWaveFormatPcm:
    case kWaveFormatIeeeFloat:
    case kWaveFormatALaw:
    case kWaveFormatMuLaw:
        DecodeLinear(codec, data, out);
        return true;
    case kWaveFormatImaAdpcm:
        return DecodeIma(codec, data, offset, out, error);
    case kWaveFormatAdpcm:
        DecodeMsAdpcm(codec, data, out);
        return true;
    default:
        return Fail(error, ErrorCategory::Unsupported, "the wave encoding cannot be decoded in pieces");
    }
}

int64_t WaveUnitFrames(const WaveCodec& codec, uint64_t dataBytes)
{
    if (codec.unitBytes == 0)
        return 0;
    if (codec.tag == kWaveFormatImaAdpcm || codec.tag == kWaveFormatAdpcm)
        return AdpcmFrames(codec, dataBytes);
    return static_cast<int64_t>(dataBytes / codec.unitBytes);
}

bool DecodeWaveData(const WaveFormat& format, std::span<const uint8_t> data, PcmAudio& out, Error* error)
{
    out = PcmAudio{};
    WaveCodec codec;
    if (!PrepareWaveCodec(format, codec, error))
        return false;
    if (codec.IsMpeg())
        return DecodeMpeg(data, out, error);
    WaveDataScan scan;
    if (!ScanWaveData(codec, scan, data, 0, error))
        return false;
    SettleWaveCodec(codec, scan);
    out.channels = codec.outChannels;
    out.rate = codec.rate;
    if (!DecodeWaveUnits(codec, data, 0, out.samples, error)) {
        out = PcmAudio{};
        return false;
    }
    return true;
}

bool CountWaveFrames(const WaveFormat& format, uint64_t dataBytes, int64_t& frames)
{
    frames = 0;
    WaveCodec codec;
    if (!PrepareWaveCodec(format, codec) || codec.IsMpeg())
        return false;
    frames = WaveUnitFrames(codec, dataBytes);
    return true;
}

} // namespace bm
