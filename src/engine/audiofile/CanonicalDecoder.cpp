#include "engine/audiofile/CanonicalDecoder.h"

#include "engine/audiofile/AudioLoader.h"
#include "engine/audiofile/RawLoader.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bm {

namespace {

// Samples decoded from an MPEG stream at a time.
constexpr size_t kMpegBlockSamples = 16384;
// Canonical bytes the canonical reader reads at a time: a multiple of 48,
// so that every piece holds whole repeat patterns.
constexpr size_t kReaderPiece = 48 * 1024;

} // namespace

void CanonicalDecoder::Reset()
{
    m_source = Source::None;
    m_framesHint = -1;
    m_failed = false;
    m_failure = Error{};
    m_reader.Close();
    m_remaining = 0;
    m_piece.clear();
    m_pieceUsed = 0;
    m_playable.clear();
    m_position = 0;
    m_channels = 0;
    m_repeat = 1;
    m_repeatsDone = 0;
    m_mpeg.Close();
    m_file.clear();
    m_resampling = false;
    m_decodedEnded = false;
}

bool CanonicalDecoder::StartResampling(int rate, Error* error)
{
    if (IsCanonicalDivisorRate(static_cast<uint32_t>(rate))) {
        m_repeat = 44100 / rate;
        return true;
    }
    if (!m_resampler.Prepare(m_channels, rate, kCanonicalRate, error))
        return false;
    m_resampling = true;
    m_repeat = 1;
    return true;
}

bool CanonicalDecoder::Open(const std::string& path, Error* error)
{
    Reset();
    WaveHeaderInfo info;
    const WaveHeaderResult result = ReadWaveHeader(path, info);
    if (result == WaveHeaderResult::Unreadable) {
        if (!FileByteSource::Open(path))
            return Fail(error, ErrorCategory::Io, "cannot open " + path);
        return Fail(error, ErrorCategory::Damaged, "not a readable wave file: " + path);
    }

    if (result == WaveHeaderResult::Accepted) {
        if (!m_reader.Open(path, info) || !m_reader.Prepare(kReaderPiece))
            return Fail(error, ErrorCategory::Io, "cannot open " + path);
        m_remaining = std::max<int64_t>(0, m_reader.Length());
        m_piece.reserve(kReaderPiece);
        m_framesHint = m_remaining / 4;
        m_source = Source::Reader;
        return true;
    }

    if (!IsMpegPath(path)) {
        if (!m_wave.Open(FileByteSource::Open(path), error))
            return false;
        m_channels = m_wave.Channels();
        if (!StartResampling(m_wave.Rate(), error))
            return false;
        m_source = Source::Wave;
        if (const int64_t frames = m_wave.Frames(); frames >= 0)
            m_framesHint = m_resampling ? std::llround(double(frames) * kCanonicalRate / m_wave.Rate()) : frames * m_repeat;
        return true;
    }

    RawAudio raw;
    if (!LoadRaw(path, raw, error))
        return false;
    m_file = std::move(raw.data);
    if (!m_mpeg.Open(m_file, error))
        return false;
    m_channels = m_mpeg.Channels();
    if (!StartResampling(m_mpeg.Rate(), error))
        return false;
    m_source = Source::Mpeg;
    // Leading-silence trim: the onset is looked for in the first channels x
    // 4000 samples, so that many are decoded ahead.
    const size_t window = static_cast<size_t>(m_channels) * 4000;
    std::vector<int16_t> ahead;
    while (ahead.size() < window && Refill()) {
        ahead.insert(ahead.end(), m_playable.begin(), m_playable.end());
        m_position = m_playable.size();
    }
    m_playable = std::move(ahead);
    m_position = LeadingSilenceStart(m_playable, m_channels);
    const int64_t hint = m_mpeg.LengthHint();
    if (hint > 0)
        m_framesHint = std::llround(double(hint) * kCanonicalRate / m_mpeg.Rate());
    return true;
}

bool CanonicalDecoder::Refill()
{
    m_playable.clear();
    m_position = 0;
    while (m_playable.empty() && !m_decodedEnded) {
        if (m_source == Source::Mpeg) {
            m_block.resize(kMpegBlockSamples / static_cast<size_t>(m_channels) * static_cast<size_t>(m_channels));
            m_block.resize(m_mpeg.Read(m_block));
        } else if (m_source == Source::Wave) {
            if (!m_wave.Next(m_block, &m_failure) && m_wave.Failed()) {
                m_failed = true;
                m_decodedEnded = true;
                return false;
            }
        } else {
            return false;
        }
        if (m_block.empty())
            m_decodedEnded = true;
        if (m_resampling) {
            if (!m_resampler.Process(m_block, m_decodedEnded ? SincResampler::End::Yes : SincResampler::End::No,
                                     m_playable)) {
                m_failed = true;
                m_failure.Set("resampling failed");
                m_decodedEnded = true;
                return false;
            }
        } else {
            m_playable.swap(m_block);
        }
    }
    return !m_playable.empty();
}

size_t CanonicalDecoder::ReadFromReader(std::span<int16_t> out)
{
    // The reader is asked for whole pieces (a multiple of every repeat
    // pattern), since a small read of a slow file would round down to
    // nothing; the caller is served from the piece.
    size_t done = 0;
    while (done < out.size() / 2 * 2) {
        if (m_pieceUsed == m_piece.size()) {
            const size_t want = static_cast<size_t>(std::min<int64_t>(int64_t(kReaderPiece), m_remaining)) / 4 * 4;
            m_piece.resize(want);
            const int64_t got = want ? m_reader.Read(m_piece) : 0;
            m_remaining = got < static_cast<int64_t>(want) ? 0 : m_remaining - got;
            m_piece.resize(static_cast<size_t>(got));
            m_pieceUsed = 0;
            if (got == 0)
                break;
        }
        const size_t n = std::min(out.size() / 2 * 2 - done, (m_piece.size() - m_pieceUsed) / 2);
        const uint8_t* bytes = m_piece.data() + m_pieceUsed;
        for (size_t i = 0; i < n; ++i)
            out[done + i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        m_pieceUsed += n * 2;
        done += n;
    }
    return done;
}

size_t CanonicalDecoder::Read(std::span<int16_t> out)
{
    if (m_source == Source::None)
        return 0;
    if (m_source == Source::Reader)
        return ReadFromReader(out);

    const size_t frames = out.size() / 2;
    const size_t channels = static_cast<size_t>(m_channels);
    size_t done = 0;
    while (done < frames) {
        if (m_position + channels > m_playable.size() && !Refill())
            break;
        if (m_repeat == 1 && channels == 2) {
            // Already canonical: copy as much as is ready.
            const size_t n = std::min(frames - done, (m_playable.size() - m_position) / 2);
            std::memcpy(out.data() + done * 2, m_playable.data() + m_position, n * 4);
            m_position += n * 2;
            done += n;
            continue;
        }
        // Each playable frame gives m_repeat canonical frames; mono feeds
        // both channels.
        const int16_t left = m_playable[m_position];
        const int16_t right = channels == 2 ? m_playable[m_position + 1] : left;
        out[done * 2] = left;
        out[done * 2 + 1] = right;
        ++done;
        if (++m_repeatsDone == m_repeat) {
            m_repeatsDone = 0;
            m_position += channels;
        }
    }
    return done * 2;
}

} // namespace bm
