#include "engine/SwapFile.h"

#include "core/Paths.h"

#include <cstdio>
#include <filesystem>

namespace bm::engine {

namespace {
// Candidate numbers tried for a free name.
constexpr int kMaxSwapNumbers = 0x10000;
} // namespace

SwapFile::SwapFile(std::unique_ptr<SwapStorage> storage) : m_storage(std::move(storage)) {}

SwapFile::~SwapFile() { SwitchOff(); }

std::string SwapFile::NameFor(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "temp_%03x.wav", unsigned(number));
    return name;
}

std::string SwapFile::FirstFreePath(const std::string& temporaryFolder)
{
    const std::string folder = AsFolder(temporaryFolder);
    for (int number = 0; number < kMaxSwapNumbers; ++number) {
        const std::string path = folder + NameFor(number);
        std::error_code error;
        if (!std::filesystem::exists(path, error) && !error)
            return path;
    }
    return {};
}

int SwapFile::SwitchOn(const std::string& temporaryFolder, int64_t dataBytes)
{
    if (m_open)
        return 0;
    const std::string path = FirstFreePath(temporaryFolder);
    if (path.empty() || !m_storage->Create(path)) {
        if (!path.empty())
            std::remove(path.c_str());
        return -1;
    }
    if (!m_storage->SetDataSize(dataBytes)) {
        m_storage->Close();
        std::remove(path.c_str());
        return -2;
    }
    m_open = true;
    m_path = path;
    return 0;
}

int SwapFile::SwitchOff()
{
    if (!m_open)
        return 0;
    m_storage->Close();
    m_open = false;
    const bool deleted = std::remove(m_path.c_str()) == 0;
    m_path.clear();
    return deleted ? 0 : -1;
}

bool SwapFile::SetDataSize(int64_t bytes) { return m_open && m_storage->SetDataSize(bytes); }

bool SwapFile::WriteMeasures(int32_t first, int32_t count, int32_t samplesPerMeasure, const int16_t* samples)
{
    const int64_t bytesPerMeasure = int64_t(samplesPerMeasure) * 4;
    return m_open && first >= 0 && count > 0
        && m_storage->Write(first * bytesPerMeasure, samples, size_t(count * bytesPerMeasure));
}

bool SwapFile::ReadMeasure(int32_t measure, int32_t samplesPerMeasure, int16_t* samples)
{
    const int64_t bytesPerMeasure = int64_t(samplesPerMeasure) * 4;
    return m_open && measure >= 0 && m_storage->Read(measure * bytesPerMeasure, samples, size_t(bytesPerMeasure));
}

} // namespace bm::engine
