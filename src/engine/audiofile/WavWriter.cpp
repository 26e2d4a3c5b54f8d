#include "engine/audiofile/WavWriter.h"

#include "core/Binary.h"
#include "core/File.h"

namespace bm {

std::vector<uint8_t> MakeWavImage(std::span<const int16_t> interleaved, int channels, int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    const uint16_t block = static_cast<uint16_t>(channels * 2);
    std::vector<uint8_t> out;
    out.reserve(44 + dataBytes);
    AppendFourCC(out, "RIFF");
    AppendLE32(out, 36 + dataBytes);
    AppendFourCC(out, "WAVE");
    AppendFourCC(out, "fmt ");
    AppendLE32(out, 16);
    AppendLE16(out, 1); // PCM
    AppendLE16(out, static_cast<uint16_t>(channels));
    AppendLE32(out, static_cast<uint32_t>(rate));
    AppendLE32(out, static_cast<uint32_t>(rate) * block);
    AppendLE16(out, block);
    AppendLE16(out, 16);
    AppendFourCC(out, "data");
    AppendLE32(out, dataBytes);
    for (int16_t s : interleaved)
        AppendLE16(out, static_cast<uint16_t>(s));
    return out;
}

bool WriteWavFile(const std::string& path, std::span<const int16_t> interleaved, int channels, int rate, Error* error)
{
    auto image = MakeWavImage(interleaved, channels, rate);
    return WriteFileDurably(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), error);
}

} // namespace bm
