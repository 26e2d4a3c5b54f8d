#include "engine/audiofile/RawLoader.h"

#include "core/Binary.h"
#include "engine/audiofile/MpegFrameScanner.h"
#include "engine/audiofile/RiffReader.h"
#include "engine/audiofile/WaveHeader.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <string>


namespace bm {

bool ScanMpegHeader(std::span<const uint8_t> bytes, MpegFrameInfo& info)
{
    info = MpegFrameInfo{};
    size_t offset = 0;
    MpegFrameHeader header;
    if (!FindMpegRun(bytes, 0, offset, header))
        return false;
    info.offset = offset;
    info.version = header.version;
    info.layer = header.layer;
    info.rateIndex = header.rateIndex;
    info.bitrateIndex = header.bitrateIndex;
    info.rate = header.rate;
    info.channels = static_cast<uint16_t>(header.Channels());
    info.bitrateKbps = header.bitrateKbps;
    return true;
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
        return Fail(error, ErrorCategory::Damaged,
                    "no MPEG audio: nowhere do " + std::to_string(kMpegRunFrames)
                        + " consistent frame headers follow one another");
    raw.format = MakeMpegFormatRecord(info);
    raw.data = std::move(fileBytes);
    raw.isMpegFile = true;
    return true;
}

bool LocateWaveData(ByteSource& source, WaveDataLocation& location, Error* error)
{
    location = WaveDataLocation{};
    RiffReader riff(source);
    RiffChunk wave, chunk;
    if (!riff.Descend(wave) || wave.id != FourCC("RIFF") || wave.formType != FourCC("WAVE"))
        return Fail(error, ErrorCategory::Damaged, "not a RIFF/WAVE file", 0);
    if (!riff.Descend(chunk, &wave, RiffSearch::ById, FourCC("fmt ")))
        return Fail(error, ErrorCategory::Damaged, "no \"fmt \" chunk");
    // Sizes are checked against the file before anything is allocated.
    if (chunk.End() > source.Size() || chunk.size > kMaxRawBytes)
        return Fail(error, ErrorCategory::Damaged, "the \"fmt \" chunk runs past the end of the file",
                    static_cast<int64_t>(chunk.dataOffset));
    std::vector<uint8_t> format(chunk.size);
    if (!riff.ReadExact(format) || !riff.Ascend(chunk))
        return Fail(error, ErrorCategory::Damaged, "cannot read the \"fmt \" chunk",
                    static_cast<int64_t>(chunk.dataOffset));
    if (!riff.Descend(chunk))
        return Fail(error, ErrorCategory::Damaged, "no chunk after \"fmt \"");
    if (chunk.id != FourCC("data")) {
        if (!riff.Ascend(chunk) || !riff.Descend(chunk, &wave, RiffSearch::ById, FourCC("data")))
            return Fail(error, ErrorCategory::Damaged, "no \"data\" chunk");
    }
    location.format = std::move(format);
    location.dataOffset = chunk.dataOffset;
    // A truncated data chunk gives the bytes the file holds, as the header
    // reader counts them.
    location.dataSize = riff.AvailableSize(chunk);
    return true;
}

bool LoadRawWave(ByteSource& source, RawAudio& raw, Error* error)
{
    raw = RawAudio{};
    WaveDataLocation location;
    if (!LocateWaveData(source, location, error))
        return false;
    if (location.dataSize > kMaxRawBytes)
        return Fail(error, ErrorCategory::TooLarge, "the \"data\" chunk is too large to load",
                    static_cast<int64_t>(location.dataOffset));
    std::vector<uint8_t> data(static_cast<size_t>(location.dataSize));
    if (source.ReadAt(location.dataOffset, data) != data.size())
        return Fail(error, ErrorCategory::Io, "cannot read the \"data\" chunk", static_cast<int64_t>(location.dataOffset));
    raw.format = std::move(location.format);
    raw.data = std::move(data);
    raw.dataOffset = location.dataOffset;
    return true;
}

bool LoadRaw(const std::string& path, RawAudio& raw, Error* error)
{
    raw = RawAudio{};
    auto source = FileByteSource::Open(path);
    if (!source)
        return Fail(error, ErrorCategory::Io, "cannot open " + path);
    if (!IsMpegPath(path))
        return LoadRawWave(*source, raw, error);
    if (source->Size() > kMaxRawBytes)
        return Fail(error, ErrorCategory::TooLarge, "the file is too large to load");
    std::vector<uint8_t> bytes(static_cast<size_t>(source->Size()));
    if (source->ReadAt(0, bytes) != bytes.size())
        return Fail(error, ErrorCategory::Io, "cannot read " + path);
    return LoadRawMpeg(std::move(bytes), raw, error);
}

} // namespace bm
