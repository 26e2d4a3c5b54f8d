#include "ProgramEngine.h"

#include "core/Paths.h"
#include "engine/SongSampleRenderPath.h"
#include "engine/device/SdlWaveIn.h"
#include "engine/device/SdlWaveOut.h"
#include "engine/stream/PitchedCopy.h"
#include "engine/stream/SampleStream.h"
#include "song/WorkFiles.h"

#include <sys/stat.h>

#include <filesystem>

namespace bm::app {

void ForwardingPort::Post(platform::Message message)
{
    std::lock_guard lock(m_mutex);
    if (m_target)
        m_target->Post(std::move(message));
    else
        m_held.push_back(std::move(message));
}

void ForwardingPort::Attach(platform::MessagePort* target)
{
    std::lock_guard lock(m_mutex);
    m_target = target;
    if (!m_target)
        return;
    while (!m_held.empty()) {
        m_target->Post(std::move(m_held.front()));
        m_held.pop_front();
    }
}

ProgramEngine::ProgramEngine(AppContext& context) : m_context(context) {}

ProgramEngine::~ProgramEngine()
{
    if (m_ticker)
        m_ticker->Stop();
    m_worker.reset();
}

stream::StreamEnvironment ProgramEngine::Environment()
{
    return {&m_context.folders, &m_catalogue, m_cache.get(), &m_sampleContext, m_songs.get(), &m_port};
}

void ProgramEngine::Start()
{
    const std::string temporary = AsFolder(m_context.options.temporaryFolder);
    std::error_code ec;
    std::filesystem::create_directories(temporary, ec);
    m_output = std::make_unique<device::SdlWaveOut>(m_deviceLock);
    m_input = std::make_unique<device::SdlWaveIn>(m_deviceLock);
    m_cache = std::make_unique<stream::SampleCache>(temporary, m_context.options.diskCacheMegabytes);
    m_songs = std::make_unique<engine::SongSampleRenderPath>(
        engine::SongSampleSettings{Environment(), m_context.programFolder, &m_port});
    m_source = std::make_unique<stream::StreamSampleSource>(Environment());
    engine::EngineSettings settings;
    settings.temporaryFolder = temporary;
    settings.memoryLimit = m_context.options.memoryCacheBytes;
    settings.folders = &m_context.folders;
    m_worker = std::make_unique<engine::EngineWorker>(m_port, *m_source, m_sampleContext, *m_output, m_input.get(),
                                                      std::move(settings));
    m_ticker = std::make_unique<engine::UiTicker>(m_port);
    m_worker->Start();
}

engine::EngineClient& ProgramEngine::Client()
{
    return *m_worker;
}

bool ProgramEngine::WaitFinished(std::chrono::milliseconds timeout)
{
    return m_worker ? m_worker->WaitFinished(timeout) : true;
}

int64_t ProgramEngine::Position()
{
    return m_worker ? m_worker->Position() : -1;
}

std::array<int32_t, 12> ProgramEngine::Levels(int64_t position)
{
    std::array<int32_t, 12> out{};
    if (!m_worker)
        return out;
    const auto bands = m_worker->Spectrum(position);
    for (size_t i = 0; i < out.size() && i < bands.size(); ++i)
        out[i] = bands[i];
    return out;
}

int ProgramEngine::DeviceVolume()
{
    return m_worker ? m_worker->DeviceVolume() : -1;
}

void ProgramEngine::PublishLibrary(const SampleLibrary& library)
{
    m_catalogue.Publish(library);
}

int64_t ProgramEngine::EstimateImportBytes(const std::string& path)
{
    return stream::EstimateImportBytes(path, Environment());
}

bool ProgramEngine::MakePitchedCopy(const SampleDescriptor& descriptor, const SampleRef& key, double semitones,
                                    int64_t barSpan, const std::string& outputPath, std::string* reason)
{
    Error error;
    const bool ok = stream::MakePitchedCopy(descriptor, key, semitones, barSpan, outputPath, Environment(), &error);
    if (!ok && reason)
        *reason = error.message;
    return ok;
}

bool ProgramEngine::WorkFileExists()
{
    return FindNewestWorkFile(m_context.options.temporaryFolder).has_value();
}

bool ProgramEngine::OnOtherFileSystem(const std::string& storedPath)
{
    const std::string file = m_context.folders.Find(storedPath);
    struct stat a {};
    struct stat b {};
    if (file.empty() || ::stat(file.c_str(), &a) != 0 || ::stat(m_context.programFolder.c_str(), &b) != 0)
        return false;
    return a.st_dev != b.st_dev;
}

} // namespace bm::app
