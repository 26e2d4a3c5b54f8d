#include "engine/audiofile/RawLoader.h"

#include "core/Binary.h"
#include "engine/audiofile/RiffReader.h"
#include "engine/audiofile/WaveHeader.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <array>

namespace bm {

namespace {

// Sampling frequencies by version bits (0 MPEG-2.5, 1 reserved, 2 MPEG-2,
// 3 MPEG-1) and rate index; 0 for the reserved entries.
constexpr std::array<std::array<uint32_t, 4>, 4> kMpegRates = {{
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
}};

// Layer III bit rates in kbit/s by bit-rate index.
constexpr std::array<uint32_t, 16> kMpeg1Bitrates = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
constexpr std::array<uint32_t, 16> kMpeg2Bitrates = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 320};

} // namespace

bool ScanMpegHeader(std::span<const uint8_t> bytes, MpegFrameInfo& info)
{
    info = MpegFrameInfo{};
    for (size_t i = 0; i + 3 < bytes.size(); ++i) {
        if (bytes[i] != 0xFF || bytes[i + 1] < 0xE0)
            continue;
        const uint8_t h1 = bytes[i + 1], h2 = bytes[i + 2], h3 = bytes[i + 3];
        info.offset = i;
        info.version = (h1 >> 3) & 3;
        info.rateIndex = (h2 >> 2) & 3;
        info.bitrateIndex = h2 >> 4;
        info.rate = kMpegRates[static_cast<size_t>(info.version)][static_cast<size_t>(info.rateIndex)];
        info.channels = (h3 & 0xC0) == 0xC0 ? 1 : 2;
        info.bitrateKbps = (info.version == 3 ? kMpeg1Bitrates : kMpeg2Bitrates)[static_cast<size_t>(info.bitrateIndex)];
        return true;
    }
    return false;
}

std::vector<uint8_t> MakeMpegFormatRecord(const MpegFrameInfo& info)
{
    std::vector<uint8_t> record;
    record.reserve(30);
    AppendLE16(record, kWaveFormatMpegLayer3);
    AppendLE16(record, info.channels);
    AppendLE32(record, info.rate);
    AppendLE32(record, info.bitrateKbps * 1000 / 8);
    AppendLE16(record, 1);    // block size
    AppendLE16(record, 0);    // bits per sample
    AppendLE16(record, 12);   // extra size
    AppendLE16(record, 1);    // identifier: MPEG
    AppendLE32(record, 2);    // flags: padding off
    AppendLE16(record, 417);  // block size
    AppendLE16(record, 1);    // frames per block
    AppendLE16(record, 1393); // codec delay
    return record;
}

bool ParseWaveFormat(std::span<const uint8_t> record, WaveFormat& format)
{
    format = WaveFormat{};
    if (record.size() < 16)
        return false;
    const uint8_t* p = record.data();
    format.formatTag = ReadLE16(p);
    format.channels = ReadLE16(p + 2);
    format.frameRate = ReadLE32(p + 4);
    format.byteRate = ReadLE32(p + 8);
    format.blockSize = ReadLE16(p + 12);
    format.bitsPerSample = ReadLE16(p + 14);
    if (record.size() >= 18) {
        const size_t extra = std::min<size_t>(ReadLE16(p + 16), record.size() - 18);
        format.extra = record.subspan(18, extra);
    }
    return true;
}

bool LoadRawMpeg(std::vector<uint8_t> fileBytes, RawAudio& raw, Error* error)
{
    raw = RawAudio{};
    MpegFrameInfo info;
    if (!ScanMpegHeader(fileBytes, info))
        return Fail(error, "no MPEG frame sync in the file");
    raw.format = MakeMpegFormatRecord(info);
    raw.data = std::move(fileBytes);
    raw.isMpegFile = true;
    return true;
}

bool LoadRawWave(ByteSource& source, RawAudio& raw, Error* error)
{
    raw = RawAudio{};
    RiffReader riff(source);
    RiffChunk wave, chunk;
    if (!riff.Descend(wave) || wave.id != FourCC("RIFF") || wave.formType != FourCC("WAVE"))
        return Fail(error, "not a RIFF/WAVE file", 0);
    if (!riff.Descend(chunk, &wave, RiffSearch::ById, FourCC("fmt ")))
        return Fail(error, "no \"fmt \" chunk");
    // Sizes are checked against the file before anything is allocated.
    if (chunk.End() > source.Size() || chunk.size > kMaxRawBytes)
        return Fail(error, "the \"fmt \" chunk runs past the end of the file", static_cast<int64_t>(chunk.dataOffset));
    std::vector<uint8_t> format(chunk.size);
    if (!riff.ReadExact(format) || !riff.Ascend(chunk))
        return Fail(error, "cannot read the \"fmt \" chunk", static_cast<int64_t>(chunk.dataOffset));
    if (!riff.Descend(chunk))
        return Fail(error, "no chunk after \"fmt \"");
    if (chunk.id != FourCC("data")) {
        if (!riff.Ascend(chunk) || !riff.Descend(chunk, &wave, RiffSearch::ById, FourCC("data")))
            return Fail(error, "no \"data\" chunk");
    }
    // A truncated data chunk gives the bytes the file holds, as the header
    // reader counts them.
    const uint64_t size = riff.AvailableSize(chunk);
    if (size > kMaxRawBytes)
        return Fail(error, "the \"data\" chunk is too large to load", static_cast<int64_t>(chunk.dataOffset));
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (!riff.ReadExact(data))
        return Fail(error, "cannot read the \"data\" chunk", static_cast<int64_t>(chunk.dataOffset));
    raw.format = std::move(format);
    raw.data = std::move(data);
    return true;
}

bool LoadRaw(const std::string& path, RawAudio& raw, Error* error)
{
    raw = RawAudio{};
    auto source = FileByteSource::Open(path);
    if (!source)
        return Fail(error, "cannot open " + path);
    if (!IsMpegPath(path))
        return LoadRawWave(*source, raw, error);
    if (source->Size() > kMaxRawBytes)
        return Fail(error, "the file is too large to load");
    std::vector<uint8_t> bytes(static_cast<size_t>(source->Size()));
    if (source->ReadAt(0, bytes) != bytes.size())
        return Fail(error, "cannot read " + path);
    return LoadRawMpeg(std::move(bytes), raw, error);
}

} // namespace bm
