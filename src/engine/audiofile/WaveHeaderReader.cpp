#include "engine/audiofile/WaveHeaderReader.h"

#include "core/Binary.h"
#include "core/Text.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/RiffReader.h"

#include <limits>

namespace bm {

namespace {

// An "m2st" body larger than this is not read (the tracks stay empty); real
// ones hold a few dozen pairs.
constexpr uint64_t kMaxEffectChunkBytes = uint64_t(16) << 20;

void ResetInfo(WaveHeaderInfo& info)
{
    info = WaveHeaderInfo{};
}

// Reads the "loop" body the reader stands at: 16 bytes or more supply the
// four values; a shorter body is ignored.
bool ReadLoopChunk(RiffReader& riff, const RiffChunk& chunk, LoopChunk& loop)
{
    if (chunk.size < 16)
        return true;
    uint8_t body[16];
    if (!riff.ReadExact(body))
        return false;
    loop.start = ReadLE32s(body);
    loop.span = ReadLE32s(body + 4);
    loop.crossFade = ReadLE32s(body + 8);
    loop.total = ReadLE32s(body + 12);
    return true;
}

// x 4 without overflow: the value wraps as 32-bit arithmetic does.
int32_t TimesFour(int32_t value)
{
    return static_cast<int32_t>(static_cast<uint32_t>(value) * 4u);
}

} // namespace

bool IsMpegPath(std::string_view path)
{
    return path.size() >= 4 && EqualsIgnoreCase(path.substr(path.size() - 4), ".mp3");
}

uint32_t SnapPcmRate(uint32_t rate)
{
    for (uint32_t n = 4; n >= 1; --n) {
        if (44100 / n >= rate)
            return 44100 / n;
    }
    return 44100;
}

void ParseEffectChunk(std::span<const uint8_t> body, const LoopChunk& loop, std::array<EffectTrack, 2>& tracks)
{
    std::array<EffectTrack, 2> parsed;
    size_t at = 0;
    for (EffectTrack& track : parsed) {
        if (body.size() - at < 12)
            return;
        track.enable = ReadLE32s(body.data() + at);
        const int32_t tapCount = ReadLE32s(body.data() + at + 4);
        const int32_t envelopeCount = ReadLE32s(body.data() + at + 8);
        at += 12;
        if (tapCount < 0 || envelopeCount < 0)
            return;
        const uint64_t pairs = static_cast<uint64_t>(tapCount) + static_cast<uint64_t>(envelopeCount);
        if (pairs * 8 > body.size() - at)
            return;
        track.taps.reserve(static_cast<size_t>(tapCount));
        for (int32_t i = 0; i < tapCount; ++i, at += 8)
            track.taps.push_back({ReadLE32s(body.data() + at), ReadLE32s(body.data() + at + 4)});
        track.envelope.reserve(static_cast<size_t>(envelopeCount) + 1);
        for (int32_t i = 0; i < envelopeCount; ++i, at += 8)
            track.envelope.push_back({ReadLE32s(body.data() + at), ReadLE32s(body.data() + at + 4)});
        // The envelope closes at gain 0: at the end of a looped sample (its
        // total length, in frames), else at its last point.
        if (envelopeCount > 0) {
            const int32_t position = loop.span != 0 ? loop.total : track.envelope.back().first;
            track.envelope.push_back({position, 0});
        }
    }
    for (size_t t = 0; t < tracks.size(); ++t) {
        tracks[t].enable = parsed[t].enable;
        tracks[t].taps.insert(tracks[t].taps.end(), parsed[t].taps.begin(), parsed[t].taps.end());
        tracks[t].envelope.insert(tracks[t].envelope.end(), parsed[t].envelope.begin(), parsed[t].envelope.end());
    }
}

WaveHeaderResult ReadWaveHeader(const std::string& path, WaveHeaderInfo& info)
{
    ResetInfo(info);
    if (IsMpegPath(path))
        return WaveHeaderResult::NeedsConversion;
    auto source = FileByteSource::Open(path);
    if (!source)
        return WaveHeaderResult::Unreadable;
    return ReadWaveHeader(*source, info);
}

WaveHeaderResult ReadWaveHeader(ByteSource& source, WaveHeaderInfo& info)
{
    ResetInfo(info);
    constexpr auto kUnreadable = WaveHeaderResult::Unreadable;
    RiffReader riff(source);

    RiffChunk wave;
    if (!riff.Descend(wave) || wave.id != FourCC("RIFF") || wave.formType != FourCC("WAVE"))
        return kUnreadable;

    RiffChunk chunk;
    if (!riff.Descend(chunk, &wave, RiffSearch::ById, FourCC("fmt ")) || chunk.size < 16)
        return kUnreadable;
    uint8_t format[16];
    if (!riff.ReadExact(format) || !riff.Ascend(chunk))
        return kUnreadable;
    info.formatTag = ReadLE16(format);
    info.channels = ReadLE16(format + 2);
    info.frameRate = ReadLE32(format + 4);
    info.byteRate = ReadLE32(format + 8);
    info.blockSize = ReadLE16(format + 12);
    info.bitsPerSample = ReadLE16(format + 14);

    // PCM at any rate other than 44 100 / n is converted and resampled, so
    // that it keeps its true pitch. So is PCM whose block size is not that
    // of packed samples: the decoder reads the samples from containers of
    // block size / channels bytes, or refuses a block size that fits none.
    const bool accepted = info.formatTag == kWaveFormatPcm && (info.channels == 1 || info.channels == 2)
                       && (info.bitsPerSample == 8 || info.bitsPerSample == 16)
                       && info.blockSize == info.channels * info.bitsPerSample / 8
                       && IsCanonicalDivisorRate(info.frameRate);
    const auto result = accepted ? WaveHeaderResult::Accepted : WaveHeaderResult::NeedsConversion;

    // "loop" and then "m2st" are seen only directly after "fmt ".
    if (!riff.Descend(chunk))
        return kUnreadable;
    if (chunk.id == FourCC("loop")) {
        if (!ReadLoopChunk(riff, chunk, info.loop) || !riff.Ascend(chunk) || !riff.Descend(chunk))
            return kUnreadable;
    }
    if (chunk.id == FourCC("m2st")) {
        if (chunk.End() > source.Size())
            return kUnreadable;
        if (chunk.size <= kMaxEffectChunkBytes) {
            std::vector<uint8_t> body(chunk.size);
            if (!riff.ReadExact(body))
                return kUnreadable;
            ParseEffectChunk(body, info.loop, info.tracks);
        }
        if (!riff.Ascend(chunk) || !riff.Descend(chunk))
            return kUnreadable;
    }
    if (chunk.id != FourCC("data")) {
        if (!riff.Ascend(chunk) || !riff.Descend(chunk, &wave, RiffSearch::ById, FourCC("data")))
            return kUnreadable;
    }
    if (chunk.dataOffset > std::numeric_limits<uint32_t>::max())
        return kUnreadable;
    // A truncated data chunk counts only the bytes the file holds.
    info.dataSize = static_cast<uint32_t>(riff.AvailableSize(chunk));
    info.dataOffset = static_cast<uint32_t>(chunk.dataOffset);

    if (result == WaveHeaderResult::Accepted) {
        info.loop.start = TimesFour(info.loop.start);
        info.loop.span = TimesFour(info.loop.span);
        info.loop.crossFade = TimesFour(info.loop.crossFade);
        info.loop.total = TimesFour(info.loop.total);
        info.frameRate = SnapPcmRate(info.frameRate);
    }
    return result;
}

} // namespace bm
