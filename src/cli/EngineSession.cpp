#include "cli/EngineSession.h"

#include "engine/SongSampleRenderPath.h"
#include "song/SongReader.h"

#include <filesystem>

namespace bm::cli {

void QueuedPort::Post(platform::Message message)
{
    std::lock_guard lock(m_mutex);
    if (message.number == platform::msg::kIdleReport && message.wParam == 0)
        m_idle = true;
    m_messages.push_back(std::move(message));
    m_arrived.notify_all();
}

std::optional<platform::Message> QueuedPort::Next(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    if (!m_arrived.wait_for(lock, timeout, [this] { return !m_messages.empty(); }))
        return std::nullopt;
    platform::Message message = std::move(m_messages.front());
    m_messages.pop_front();
    return message;
}

void QueuedPort::ResetIdle()
{
    std::lock_guard lock(m_mutex);
    m_idle = false;
}

bool QueuedPort::WaitIdle(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, timeout, [this] { return m_idle; });
}

EngineSession::EngineSession(const std::string& programFolder, device::WaveOutDevice& output,
                             device::WaveInDevice* input)
    : m_program(AsFolder(programFolder)),
      m_installation(LoadInstallation(m_program, InstallationUse::Look))
{
    m_options.temporaryFolder = m_program;
    FolderList ignored;
    app::ReadOptionsFile(m_program, m_options, ignored, app::ProbeMachine(), app::FolderCreation::Skip);
    m_temporary = m_installation.folders.temporaryFolder;
    std::error_code ec;
    std::filesystem::create_directories(m_temporary, ec); // the disk cache, swap and recording files live there

    m_folders.Assign(m_installation.folders.sampleFolders);
    m_catalogue.Publish(m_installation.library);
    m_cache = std::make_unique<stream::SampleCache>(m_temporary, m_options.diskCacheMegabytes);
    m_songs = std::make_unique<engine::SongSampleRenderPath>(
        engine::SongSampleSettings{Environment(), m_program, &m_port});
    m_source = std::make_unique<stream::StreamSampleSource>(Environment());

    engine::EngineSettings settings;
    settings.temporaryFolder = m_temporary;
    settings.memoryLimit = m_options.memoryCacheBytes;
    settings.folders = &m_folders;
    m_worker = std::make_unique<engine::EngineWorker>(m_port, *m_source, m_context, output, input,
                                                      std::move(settings));
    m_worker->Start();
}

EngineSession::~EngineSession() { Finish(); }

stream::StreamEnvironment EngineSession::Environment()
{
    return {&m_folders, &m_catalogue, m_cache.get(), &m_context, m_songs.get(), &m_port};
}

bool EngineSession::ReadSong(const std::string& path, Song& song, Error* error)
{
    SongReader reader(m_installation.library, m_folders.Snapshot(), m_program, {.engine = m_worker.get()});
    return reader.ReadSong(path, song, error);
}

bool EngineSession::WaitIdle(std::chrono::milliseconds timeout)
{
    m_port.ResetIdle();
    m_worker->Post(engine::IdleReport{1});
    return m_port.WaitIdle(timeout);
}

void EngineSession::Finish()
{
    if (m_finished)
        return;
    m_finished = true;
    m_worker->Post(engine::Stop{});
    m_worker->Post(engine::End{});
    m_worker->WaitFinished(std::chrono::milliseconds(10000));
}

int ReadCommandSong(Invocation& in, EngineSession& session, Song& song)
{
    Error error;
    if (!session.ReadSong(in.Arg(0), song, &error))
        return in.Failed("cannot read " + in.Arg(0) + ": " + error.message);
    if (song.measures.empty())
        return in.Failed(in.Arg(0) + " has no measures");
    return kExitOk;
}

} // namespace bm::cli
