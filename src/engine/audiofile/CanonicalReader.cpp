#include "engine/audiofile/CanonicalReader.h"

#include "core/Binary.h"
#include "engine/audiofile/PcmAudio.h"

#include <algorithm>
#include <cstring>

namespace bm {

namespace {

// Reads are served in pieces that are whole multiples of this many canonical
// bytes (4 bytes x 1, 2, 3 or 4 repeats), so that a split read repeats
// frames exactly as one large read would.
constexpr size_t kPieceQuantum = 48;
// Zero bytes kept after the file bytes in the scratch block: a frame whose
// declared block size is smaller than its samples never reads stale bytes.
constexpr size_t kScratchPad = 4;

bool IsReadable(const WaveHeaderInfo& info)
{
    return info.formatTag == kWaveFormatPcm && (info.channels == 1 || info.channels == 2)
        && (info.bitsPerSample == 8 || info.bitsPerSample == 16) && IsCanonicalDivisorRate(info.frameRate)
        && info.blockSize >= 1 && info.blockSize <= 4;
}

} // namespace

int64_t CanonicalLength(const WaveHeaderInfo& info)
{
    if (info.loop.span != 0)
        return info.loop.total;
    if (info.blockSize == 0 || info.frameRate == 0)
        return 0;
    return int64_t(4 / info.blockSize) * int64_t(44100 / info.frameRate) * int64_t(info.dataSize);
}

bool CanonicalReader::Open(const std::string& path, const WaveHeaderInfo& info)
{
    Close();
    auto source = FileByteSource::Open(path);
    return source && Open(std::move(source), info);
}

bool CanonicalReader::Open(std::unique_ptr<ByteSource> source, const WaveHeaderInfo& info)
{
    Close();
    if (!source || !IsReadable(info))
        return false;
    m_source = std::move(source);
    m_info = info;
    m_repeat = 44100 / info.frameRate;
    m_filePosition = info.dataOffset;
    return true;
}

void CanonicalReader::Close()
{
    m_source.reset();
    m_filePosition = 0;
}

bool CanonicalReader::Prepare(size_t maxCanonicalBytes)
{
    const size_t piece = std::max(kPieceQuantum, maxCanonicalBytes / kPieceQuantum * kPieceQuantum);
    // File bytes per piece are at most the canonical bytes (4 / B >= 1).
    m_scratch.assign(piece + kScratchPad, 0);
    return true;
}

int64_t CanonicalReader::Length() const
{
    return CanonicalLength(m_info);
}

int64_t CanonicalReader::Position() const
{
    const int64_t fileBytes = static_cast<int64_t>(m_filePosition) - static_cast<int64_t>(m_info.dataOffset);
    return fileBytes * (4 / m_info.blockSize) * int64_t(m_repeat);
}

void CanonicalReader::Seek(int64_t p)
{
    if (p < 0)
        p = 0;
    const int64_t block = m_info.blockSize;
    const int64_t rateSixteenths = int64_t(m_info.frameRate) * 16 / 44100; // 4, 5, 8 or 16
    int64_t offset = p * block / 4 * rateSixteenths / 16;
    // The file position stays on the start of a frame; a position inside one
    // would pair the wrong bytes into samples.
    offset -= offset % block;
    m_filePosition = m_info.dataOffset + static_cast<uint64_t>(offset);
}

int64_t CanonicalReader::Read(std::span<uint8_t> out)
{
    if (!m_source)
        return 0;
    const size_t wanted = out.size() / 4 * 4;
    const size_t piece = m_scratch.size() > kScratchPad ? m_scratch.size() - kScratchPad : 0;
    const bool direct = m_info.frameRate == 44100 && m_info.channels == 2 && m_info.bitsPerSample == 16;
    int64_t delivered = 0;
    size_t done = 0;
    while (done < wanted) {
        const size_t n = direct ? wanted - done : std::min(wanted - done, piece);
        if (n == 0)
            break; // not prepared
        const int64_t got = ReadPiece(out.data() + done, n);
        delivered += got;
        if (got < static_cast<int64_t>(n))
            break;
        done += n;
    }
    return delivered;
}

int64_t CanonicalReader::ReadPiece(uint8_t* out, size_t bytes)
{
    const uint64_t dataEnd = uint64_t(m_info.dataOffset) + m_info.dataSize;
    const uint64_t left = m_filePosition < dataEnd ? dataEnd - m_filePosition : 0;
    const uint32_t rate = m_info.frameRate;

    if (rate == 44100 && m_info.channels == 2 && m_info.bitsPerSample == 16) {
        const size_t fileBytes = static_cast<size_t>(std::min<uint64_t>(bytes, left));
        const size_t got = m_source->ReadAt(m_filePosition, std::span(out, fileBytes)) / 4 * 4;
        m_filePosition += got;
        return static_cast<int64_t>(got);
    }

    // Canonical bytes per file byte: (176400 / R) / B.
    const uint64_t perFrame = 176400 / rate; // 16, 12, 8 or 4
    const uint64_t block = m_info.blockSize;
    const size_t fileBytes = static_cast<size_t>(std::min<uint64_t>(bytes * block / perFrame, left));
    const size_t got = m_source->ReadAt(m_filePosition, std::span(m_scratch.data(), fileBytes));
    std::memset(m_scratch.data() + got, 0, kScratchPad);
    m_filePosition += got;

    const size_t outBytes = static_cast<size_t>(std::min<uint64_t>(got * perFrame / block, bytes)) / 4 * 4;
    const uint8_t* src = m_scratch.data();
    const bool stereo = m_info.channels == 2;
    if (m_info.bitsPerSample == 16) {
        const size_t rightOffset = stereo ? 2 : 0;
        for (size_t f = 0; f < outBytes / 4; ++f) {
            const uint8_t* frame = src + (f * rate / 44100) * block;
            std::memcpy(out + f * 4, frame, 2);
            std::memcpy(out + f * 4 + 2, frame + rightOffset, 2);
        }
    } else {
        const size_t rightOffset = stereo ? 1 : 0;
        for (size_t f = 0; f < outBytes / 4; ++f) {
            const uint8_t* frame = src + (f * rate / 44100) * block;
            WriteLE16(out + f * 4, static_cast<uint16_t>((frame[0] - 128) * 256));
            WriteLE16(out + f * 4 + 2, static_cast<uint16_t>((frame[rightOffset] - 128) * 256));
        }
    }
    return static_cast<int64_t>(outBytes);
}

} // namespace bm
