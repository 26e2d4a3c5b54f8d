#include "engine/audiofile/WaveDataDecoder.h"

#include "engine/audiofile/RawLoader.h"

#include <algorithm>

namespace bm {

namespace {

// Coded bytes read and decoded at a time, rounded down to whole units.
constexpr size_t kPieceBytes = 64 * 1024;
// Samples an MPEG piece holds.
constexpr size_t kMpegPieceSamples = 16384;

} // namespace

bool WaveDataDecoder::Open(std::unique_ptr<ByteSource> source, Error* error)
{
    m_source.reset();
    m_codec = WaveCodec{};
    m_dataOffset = m_dataEnd = m_position = 0;
    m_rate = m_channels = 0;
    m_frames = -1;
    m_failed = false;
    m_mpeg.Close();
    m_mpegData.clear();
    if (!source)
        return Fail(error, ErrorCategory::Io, "cannot open the file");
    WaveDataLocation location;
    if (!LocateWaveData(*source, location, error))
        return false;
    WaveFormat format;
    if (!ParseWaveFormat(location.format, format))
        return Fail(error, ErrorCategory::Damaged, "the format record is shorter than 16 bytes");
    if (!PrepareWaveCodec(format, m_codec, error))
        return false;
    m_source = std::move(source);
    m_dataOffset = m_position = location.dataOffset;
    m_dataEnd = location.dataOffset + location.dataSize;

    if (m_codec.IsMpeg()) {
        if (location.dataSize > kMaxRawBytes)
            return Fail(error, ErrorCategory::TooLarge, "the \"data\" chunk is too large to load",
                        static_cast<int64_t>(m_dataOffset));
        m_mpegData.resize(static_cast<size_t>(location.dataSize));
        if (m_source->ReadAt(m_dataOffset, m_mpegData) != m_mpegData.size())
            return Fail(error, ErrorCategory::Io, "cannot read the \"data\" chunk", static_cast<int64_t>(m_dataOffset));
        if (!m_mpeg.Open(m_mpegData, error))
            return false;
        m_rate = m_mpeg.Rate();
        m_channels = m_mpeg.Channels();
        return true;
    }

    m_pieceBytes = std::max<size_t>(1, kPieceBytes / m_codec.unitBytes) * m_codec.unitBytes;
    m_piece.reserve(m_pieceBytes);
    if (m_codec.NeedsScan()) {
        WaveDataScan scan;
        while (m_position < m_dataEnd) {
            if (!ReadPiece(error) || !ScanWaveData(m_codec, scan, m_piece, m_position, error))
                return false;
            m_position += m_piece.size();
        }
        SettleWaveCodec(m_codec, scan);
        m_position = m_dataOffset;
    }
    m_rate = m_codec.rate;
    m_channels = m_codec.outChannels;
    m_frames = WaveUnitFrames(m_codec, location.dataSize);
    return true;
}

bool WaveDataDecoder::ReadPiece(Error* error)
{
    // The last piece takes a short last unit along (an ADPCM block cut
    // short still holds frames).
    const uint64_t left = m_dataEnd - m_position;
    size_t take = left <= m_pieceBytes ? static_cast<size_t>(left) : m_pieceBytes;
    if (left > take && left - take < m_codec.unitBytes)
        take = static_cast<size_t>(left);
    m_piece.resize(take);
    if (m_source->ReadAt(m_position, m_piece) != take)
        return Fail(error, ErrorCategory::Io, "cannot read the \"data\" chunk", static_cast<int64_t>(m_position));
    return true;
}

bool WaveDataDecoder::Next(std::vector<int16_t>& out, Error* error)
{
    out.clear();
    if (!m_source || m_failed)
        return false;
    if (m_codec.IsMpeg()) {
        out.resize(kMpegPieceSamples / static_cast<size_t>(m_channels) * static_cast<size_t>(m_channels));
        out.resize(m_mpeg.Read(out));
        return !out.empty();
    }
    if (m_position >= m_dataEnd)
        return false;
    if (!ReadPiece(error) || !DecodeWaveUnits(m_codec, m_piece, m_position, out, error)) {
        m_failed = true;
        out.clear();
        return false;
    }
    m_position += m_piece.size();
    // A piece of less than one unit (the tail of linear data) gives nothing
    // and ends the data.
    return !out.empty();
}

} // namespace bm
