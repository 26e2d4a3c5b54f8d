#include "engine/audiofile/WavWriter.h"

#include "core/Binary.h"
#include "core/File.h"
#include "engine/audiofile/WavStreamWriter.h"

namespace bm {

namespace {

// Largest data chunk whose sizes fit the header's 32-bit fields.
constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;

std::vector<uint8_t> MakeHeader(uint32_t dataBytes, int channels, int rate)
{
    const uint16_t block = static_cast<uint16_t>(channels * 2);
    std::vector<uint8_t> out;
    out.reserve(44);
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
    return out;
}

} // namespace

std::vector<uint8_t> MakeWavImage(std::span<const int16_t> interleaved, int channels, int rate)
{
    const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
    std::vector<uint8_t> out = MakeHeader(dataBytes, channels, rate);
    out.reserve(44 + dataBytes);
    for (int16_t s : interleaved)
        AppendLE16(out, static_cast<uint16_t>(s));
    return out;
}

bool WriteWavFile(const std::string& path, std::span<const int16_t> interleaved, int channels, int rate, Error* error,
                  WavWriteMode mode)
{
    if (interleaved.size() * 2 > kMaxDataBytes)
        return Fail(error, "too much audio for one wave file");
    if (mode == WavWriteMode::Unflushed) {
        // Straight from the caller's samples, without a file image.
        WavStreamWriter writer;
        return writer.Open(path, channels, rate, error) && writer.Write(interleaved, error)
            && writer.Finish(WavWriteMode::Unflushed, error);
    }
    auto image = MakeWavImage(interleaved, channels, rate);
    return WriteFileDurably(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()), error);
}

} // namespace bm
