#include "engine/audiofile/MpegFrameScanner.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

namespace bm {

namespace {

// Sampling frequencies by version bits (0 MPEG-2.5, 1 reserved, 2 MPEG-2,
// 3 MPEG-1) and rate index; 0 for the reserved entries.
constexpr std::array<std::array<uint32_t, 4>, 4> kRates = {{
    {11025, 12000, 8000, 0},
    {0, 0, 0, 0},
    {22050, 24000, 16000, 0},
    {44100, 48000, 32000, 0},
}};

// Bit rates in kbit/s by bit-rate index 0 ... 14 (0 free format).
using BitrateTable = std::array<uint32_t, 15>;
constexpr BitrateTable kMpeg1Layer1 = {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448};
constexpr BitrateTable kMpeg1Layer2 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
constexpr BitrateTable kMpeg1Layer3 = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr BitrateTable kMpeg2Layer1 = {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256};
constexpr BitrateTable kMpeg2Layer23 = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};

const BitrateTable& Bitrates(int version, int layer)
{
    if (version == 3)
        return layer == 1 ? kMpeg1Layer1 : layer == 2 ? kMpeg1Layer2 : kMpeg1Layer3;
    return layer == 1 ? kMpeg2Layer1 : kMpeg2Layer23;
}

// The largest frame a decoder takes; bounds the search for the next header
// of a free-format frame.
constexpr size_t kMaxFrameBytes = 3456;
// The smallest free-format frame: a header and the shortest side
// information.
constexpr size_t kMinFreeFormatBytes = 4 + 9;

// Where the frame after the one at `at` begins: from the header's length,
// or for free format at the next header of the same stream. A free-format
// frame with no such header within reach runs to the end of the data when
// the data ends within reach, else `next` is unknown (false).
bool NextFrameOffset(std::span<const uint8_t> bytes, size_t at, const MpegFrameHeader& header, size_t& next)
{
    if (const size_t length = header.FrameBytes()) {
        next = at + length;
        return true;
    }
    const size_t last = std::min(bytes.size(), at + kMaxFrameBytes);
    for (size_t j = at + kMinFreeFormatBytes; j + 4 <= last; ++j) {
        MpegFrameHeader candidate;
        if (bytes[j] == 0xFF && ParseMpegFrameHeader(bytes, j, candidate) && candidate.SameStream(header)) {
            next = j;
            return true;
        }
    }
    if (bytes.size() - at <= kMaxFrameBytes) {
        next = bytes.size();
        return true;
    }
    return false;
}

// True when the chain of frames ends cleanly at `next`: the end of the data,
// or a 128-byte "TAG" trailer.
bool EndsTheData(std::span<const uint8_t> bytes, size_t next)
{
    if (next == bytes.size())
        return true;
    return next + 128 == bytes.size() && std::memcmp(bytes.data() + next, "TAG", 3) == 0;
}

// MSB-first bits of the side information; reads past the end give zeros
// and mark the reader as short.
class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes) : m_bytes(bytes) {}
    uint32_t Read(int count)
    {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++m_bit) {
            const size_t byte = m_bit / 8;
            if (byte >= m_bytes.size()) {
                m_short = true;
                value <<= 1;
                continue;
            }
            value = (value << 1) | ((m_bytes[byte] >> (7 - m_bit % 8)) & 1u);
        }
        return value;
    }
    bool Short() const { return m_short; }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_bit = 0;
    bool m_short = false;
};

// The main-data bytes a reservoir can reach back: the largest main-data
// start a frame can name (9 bits for MPEG-1, 8 for the others).
size_t ReservoirLimit(const MpegFrameHeader& header)
{
    return header.version == 3 ? 511 : 255;
}

} // namespace

size_t MpegFrameHeader::FrameBytes() const
{
    if (bitrateKbps == 0 || rate == 0)
        return 0;
    const size_t bits = size_t(bitrateKbps) * 1000;
    if (layer == 1)
        return (12 * bits / rate + (padding ? 1 : 0)) * 4;
    const size_t perRate = layer == 3 && version != 3 ? 72 : 144;
    return perRate * bits / rate + (padding ? 1 : 0);
}

bool MpegFrameHeader::SameStream(const MpegFrameHeader& other) const
{
    return version == other.version && layer == other.layer && rateIndex == other.rateIndex
        && Channels() == other.Channels() && (bitrateIndex == 0) == (other.bitrateIndex == 0);
}

bool ParseMpegFrameHeader(std::span<const uint8_t> bytes, size_t at, MpegFrameHeader& header)
{
    if (at >= bytes.size() || bytes.size() - at < 4)
        return false;
    const uint8_t* h = bytes.data() + at;
    if (h[0] != 0xFF || h[1] < 0xE0)
        return false;
    MpegFrameHeader parsed;
    parsed.version = (h[1] >> 3) & 3;
    const int layerBits = (h[1] >> 1) & 3;
    parsed.bitrateIndex = h[2] >> 4;
    parsed.rateIndex = (h[2] >> 2) & 3;
    if (parsed.version == 1 || layerBits == 0 || parsed.bitrateIndex == 15 || parsed.rateIndex == 3)
        return false;
    parsed.layer = 4 - layerBits;
    parsed.crc = (h[1] & 1) == 0;
    parsed.padding = (h[2] >> 1) & 1;
    parsed.mode = h[3] >> 6;
    parsed.rate = kRates[static_cast<size_t>(parsed.version)][static_cast<size_t>(parsed.rateIndex)];
    parsed.bitrateKbps = Bitrates(parsed.version, parsed.layer)[static_cast<size_t>(parsed.bitrateIndex)];
    header = parsed;
    return true;
}

bool FindMpegRun(std::span<const uint8_t> bytes, size_t from, size_t& offset, MpegFrameHeader& header)
{
    for (size_t i = from; i + 4 <= bytes.size(); ++i) {
        MpegFrameHeader first;
        if (bytes[i] != 0xFF || !ParseMpegFrameHeader(bytes, i, first))
            continue;
        size_t at = i;
        MpegFrameHeader current = first;
        bool holds = true;
        for (int k = 1; k < kMpegRunFrames && holds; ++k) {
            size_t next = 0;
            if (!NextFrameOffset(bytes, at, current, next)) {
                holds = false;
                break;
            }
            if (EndsTheData(bytes, next))
                break;
            // Two agreeing headers whose second frame is cut short by the
            // end of the file: a truncated stream.
            if (next > bytes.size() && k >= 2)
                break;
            MpegFrameHeader following;
            holds = ParseMpegFrameHeader(bytes, next, following) && following.SameStream(first);
            at = next;
            current = following;
        }
        if (holds) {
            offset = i;
            header = first;
            return true;
        }
    }
    return false;
}

bool CheckLayer3Frame(std::span<const uint8_t> frame, const MpegFrameHeader& header, size_t& reservoir)
{
    const bool mpeg1 = header.version == 3;
    const int channels = header.Channels();
    const size_t sideBytes = mpeg1 ? (channels == 1 ? 17 : 32) : (channels == 1 ? 9 : 17);
    const size_t sideStart = 4 + (header.crc ? 2 : 0);
    const size_t limit = ReservoirLimit(header);
    if (frame.size() < sideStart + sideBytes) {
        reservoir = 0;
        return false;
    }
    const size_t mainBytes = frame.size() - sideStart - sideBytes;

    BitReader bits(frame.subspan(sideStart, sideBytes));
    const size_t mainBegin = bits.Read(mpeg1 ? 9 : 8);
    bits.Read(mpeg1 ? (channels == 1 ? 5 : 3) : (channels == 1 ? 1 : 2)); // private bits
    if (mpeg1)
        bits.Read(4 * channels); // scale factor selection
    const int granules = mpeg1 ? 2 : 1;
    bool decodable = true;
    size_t usedBits = 0;
    for (int g = 0; g < granules; ++g) {
        for (int c = 0; c < channels; ++c) {
            usedBits += bits.Read(12); // part 2 and 3 length
            const uint32_t bigValues = bits.Read(9);
            bits.Read(8);              // global gain
            bits.Read(mpeg1 ? 4 : 9);  // scale factor compression
            if (bits.Read(1)) {        // window switching
                const uint32_t blockType = bits.Read(2);
                bits.Read(1 + 10 + 9); // mixed block flag, two table selections, sub-block gains
                if (blockType == 0)
                    decodable = false;
            } else {
                bits.Read(15 + 4 + 3); // three table selections, region counts
            }
            bits.Read(mpeg1 ? 3 : 2); // pre-emphasis (MPEG-1), scale factor scale, count-1 table
            if (bigValues > 288)
                decodable = false;
        }
    }
    if (bits.Short() || mainBegin > reservoir || usedBits > (mainBegin + mainBytes) * 8)
        decodable = false;

    // The bytes of this frame's main data that it leaves unused are there
    // for the next frames. A damaged frame is taken to use nothing, so that
    // one bad frame does not condemn the next.
    if (decodable)
        reservoir = std::min(limit, mainBegin + mainBytes - usedBits / 8);
    else
        reservoir = std::min(limit, reservoir + mainBytes);
    return decodable;
}

bool SurveyMpegStream(std::span<const uint8_t> bytes, MpegStreamSurvey& survey, Error* error)
{
    survey = MpegStreamSurvey{};
    size_t at = 0;
    MpegFrameHeader current;
    if (!FindMpegRun(bytes, 0, at, current))
        return Fail(error, ErrorCategory::Damaged,
                    "no MPEG audio: nowhere do " + std::to_string(kMpegRunFrames)
                        + " consistent frame headers follow one another");
    survey.start = at;
    survey.first = current;
    size_t reservoir = 0;
    for (;;) {
        size_t next = 0;
        if (!NextFrameOffset(bytes, at, current, next) || next > bytes.size())
            break; // a frame cut short by the end of the data is not counted
        ++survey.frames;
        if (current.layer == 3 && !CheckLayer3Frame(bytes.subspan(at, next - at), current, reservoir)) {
            if (survey.damagedFrames++ == 0)
                survey.firstDamaged = static_cast<int64_t>(at);
        }
        MpegFrameHeader following;
        if (ParseMpegFrameHeader(bytes, next, following) && following.SameStream(survey.first)) {
            at = next;
            current = following;
            continue;
        }
        // Junk or damage: the stream goes on at the next run of its kind.
        size_t resume = at + 1;
        bool found = false;
        while (FindMpegRun(bytes, resume, resume, following)) {
            if (following.SameStream(survey.first)) {
                found = true;
                break;
            }
            ++resume;
        }
        if (!found)
            break;
        at = resume;
        current = following;
    }
    if (survey.damagedFrames * 2 > survey.frames)
        return Fail(error, ErrorCategory::Damaged,
                    "the MPEG stream is damaged: " + std::to_string(survey.damagedFrames) + " of "
                        + std::to_string(survey.frames) + " frames cannot be decoded",
                    survey.firstDamaged);
    return true;
}

} // namespace bm
