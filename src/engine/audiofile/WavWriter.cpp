#include "engine/audiofile/WavWriter.h"

#include "core/Binary.h"
#include "engine/audiofile/WavStreamWriter.h"

#include <cstring>

namespace bm {

std::array<uint8_t, 44> MakeWavHeader(uint32_t dataBytes, int channels, int rate)
{
    const uint16_t block = static_cast<uint16_t>(channels * 2);
    std::array<uint8_t, 44> h{};
    std::memcpy(h.data(), "RIFF", 4);
    WriteLE32(h.data() + 4, 36 + dataBytes);
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    WriteLE32(h.data() + 16, 16);
    WriteLE16(h.data() + 20, 1); // PCM
    WriteLE16(h.data() + 22, static_cast<uint16_t>(channels));
    WriteLE32(h.data() + 24, static_cast<uint32_t>(rate));
    WriteLE32(h.data() + 28, static_cast<uint32_t>(rate) * block);
    WriteLE16(h.data() + 32, block);
    WriteLE16(h.data() + 34, 16);
    std::memcpy(h.data() + 36, "data", 4);
    WriteLE32(h.data() + 40, dataBytes);
    return h;
}

std::vector<uint8_t> MakeWavImage(std::span<const int16_t> interleaved, int channels, int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    const auto header = MakeWavHeader(dataBytes, channels, rate);
    std::vector<uint8_t> out(header.begin(), header.end());
    out.reserve(44 + dataBytes);
    for (int16_t s : interleaved)
        AppendLE16(out, static_cast<uint16_t>(s));
    return out;
}

bool WriteWavFile(const std::string& path, std::span<const int16_t> interleaved, int channels, int rate, Error* error,
                  ReplaceMode mode)
{
    if (interleaved.size() * 2 > kMaxWavDataBytes)
        return Fail(error, "too much audio for one wave file");
    // Straight from the caller's samples, without a file image.
    WavStreamWriter writer;
    return writer.Open(path, channels, rate, error) && writer.Write(interleaved, error) && writer.Finish(mode, error);
}

} // namespace bm
