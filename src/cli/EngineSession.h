#pragma once

// The real engine worker set up as the program sets it up, for the commands
// that drive it (play, render, record): the program folder's library, sample
// folders, disk cache and temporary folder, a sample source with songs used
// as samples, and the worker with the devices the command chooses. What the
// worker posts to the main window is queued here for the command to read.
//
//     EngineSession session(program, output, nullptr);
//     Song song;
//     if (!session.ReadSong(path, song, &error)) ...
//     session.WaitIdle(std::chrono::minutes(10)); // samples loaded
//     session.Worker().Post(engine::PlaySong{255, 0});
//     while (auto message = session.NextMessage(100ms)) ...
//     session.Finish();

#include "app/OptionsFile.h"
#include "cli/Cli.h"
#include "cli/LibraryCommands.h"
#include "core/Error.h"
#include "core/Paths.h"
#include "engine/EngineWorker.h"
#include "engine/stream/CatalogueView.h"
#include "engine/stream/SampleCache.h"
#include "engine/stream/SongSamplePath.h"
#include "engine/stream/StreamSampleSource.h"
#include "platform/MessagePort.h"
#include "song/Song.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace bm::cli {

// Keeps what the worker posts, in order, for one reader.
class QueuedPort final : public platform::MessagePort {
public:
    void Post(platform::Message message) override;
    // The oldest message not yet taken, waiting up to `timeout` for one.
    std::optional<platform::Message> Next(std::chrono::milliseconds timeout);
    // Forgets an idle report seen so far, then waits for the next one
    // (WM_USER+20 with 0); the messages stay queued.
    void ResetIdle();
    bool WaitIdle(std::chrono::milliseconds timeout);

private:
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<platform::Message> m_messages;
    bool m_idle = false;
};

class EngineSession {
public:
    // `output` and `input` must outlive the session; `input` may be null.
    EngineSession(const std::string& programFolder, device::WaveOutDevice& output, device::WaveInDevice* input);
    ~EngineSession();
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    const Installation& Install() const { return m_installation; }
    const app::OptionsFile& Options() const { return m_options; }
    const std::string& TemporaryFolder() const { return m_temporary; }
    const FolderList& Folders() const { return m_folders; }
    stream::StreamEnvironment Environment();
    engine::EngineWorker& Worker() { return *m_worker; }

    // Reads a song against the installation's library and mirrors it into
    // the worker (as the program does when it opens a song).
    bool ReadSong(const std::string& path, Song& song, Error* error);
    // Lets the worker finish its queue and background loading (the memory
    // cache); messages posted meanwhile stay queued for NextMessage.
    bool WaitIdle(std::chrono::milliseconds timeout);
    std::optional<platform::Message> NextMessage(std::chrono::milliseconds timeout) { return m_port.Next(timeout); }
    // Stops playback and ends the worker (the destructor does it too).
    void Finish();

private:
    std::string m_program;
    Installation m_installation;
    app::OptionsFile m_options;
    std::string m_temporary;
    FolderList m_folders;
    stream::CatalogueView m_catalogue;
    std::unique_ptr<stream::SampleCache> m_cache;
    std::unique_ptr<stream::SongSamplePath> m_songs;
    engine::EngineSampleContext m_context;
    std::unique_ptr<stream::StreamSampleSource> m_source;
    QueuedPort m_port;
    std::unique_ptr<engine::EngineWorker> m_worker;
    bool m_finished = false;
};

// Reads the command's song (its first argument) through the session: kExitOk,
// or the failure reported (unreadable, or without measures).
int ReadCommandSong(Invocation& in, EngineSession& session, Song& song);

} // namespace bm::cli
