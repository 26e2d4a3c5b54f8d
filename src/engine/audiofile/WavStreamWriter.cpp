#include "engine/audiofile/WavStreamWriter.h"

#include "core/Binary.h"

#include <array>
#include <bit>
#include <cstring>

namespace bm {

bool WavStreamWriter::Open(const std::string& path, int channels, int rate, Error* error)
{
    m_file.Discard();
    if (channels < 1 || channels > 2 || rate <= 0)
        return Fail(error, "a wave file needs one or two channels and a rate");
    m_channels = channels;
    m_rate = rate;
    m_dataBytes = 0;
    const auto header = MakeWavHeader(0, channels, rate);
    if (!m_file.Create(path, error) || !m_file.Write(header.data(), header.size(), error)) {
        m_file.Discard();
        return false;
    }
    return true;
}

bool WavStreamWriter::Write(std::span<const int16_t> samples, Error* error)
{
    if (!m_file.IsOpen())
        return Fail(error, "the wave file is not open");
    if (m_dataBytes + samples.size() * 2 > kMaxWavDataBytes)
        return Fail(error, "too much audio for one wave file");
    bool ok = true;
    if constexpr (std::endian::native == std::endian::little) {
        ok = m_file.Write(samples.data(), samples.size() * 2, error);
    } else {
        std::array<uint8_t, 8192> block;
        for (size_t i = 0; ok && i < samples.size(); i += block.size() / 2) {
            const size_t n = std::min(block.size() / 2, samples.size() - i);
            for (size_t j = 0; j < n; ++j)
                WriteLE16(block.data() + 2 * j, static_cast<uint16_t>(samples[i + j]));
            ok = m_file.Write(block.data(), n * 2, error);
        }
    }
    if (ok)
        m_dataBytes += samples.size() * 2;
    return ok;
}

bool WavStreamWriter::Finish(ReplaceMode mode, Error* error)
{
    if (!m_file.IsOpen())
        return Fail(error, "the wave file is not open");
    const auto header = MakeWavHeader(static_cast<uint32_t>(m_dataBytes), m_channels, m_rate);
    if (!m_file.WriteAt(0, header.data(), header.size(), error)) {
        m_file.Discard();
        return false;
    }
    return m_file.Commit(mode, error);
}

} // namespace bm
