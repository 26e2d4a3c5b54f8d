#pragma once

// The audio engine as the program runs it: the real worker with the sound
// card's output and input (SDL), the sample source with songs used as
// samples, the disk cache in the temporary folder and the library view the
// worker's threads read. It also answers the main window's questions of the
// engine (play position, levels, device volume), does the window's sample
// work (import estimates, pitched copies) and tells it facts about files.
//
// The worker starts before the main window exists, so what it posts is held
// until the window's message port is attached, then delivered in order.

#include "app/AppContext.h"
#include "app/EngineWorker.h"
#include "engine/EngineWorker.h"
#include "engine/UiTicker.h"
#include "engine/device/WaveInDevice.h"
#include "engine/device/WaveOutDevice.h"
#include "engine/stream/CatalogueView.h"
#include "engine/stream/SampleCache.h"
#include "engine/stream/SongSamplePath.h"
#include "engine/stream/StreamSampleSource.h"
#include "platform/MessagePort.h"
#include "ui/main/MainServices.h"

#include <deque>
#include <memory>
#include <mutex>

namespace bm::app {

// Holds messages until a target port is attached, then passes them on.
class ForwardingPort final : public platform::MessagePort {
public:
    void Post(platform::Message message) override;
    // Delivers what was held, in order, then forwards everything.
    void Attach(platform::MessagePort* target);

private:
    std::mutex m_mutex;
    platform::MessagePort* m_target = nullptr;
    std::deque<platform::Message> m_held;
};

class ProgramEngine final : public EngineWorker,
                            public ui::EngineReadings,
                            public ui::SampleTools,
                            public ui::FileFacts {
public:
    explicit ProgramEngine(AppContext& context);
    ~ProgramEngine() override;

    // EngineWorker: builds everything from the options read by then.
    void Start() override;
    engine::EngineClient& Client() override;
    bool WaitFinished(std::chrono::milliseconds timeout) override;

    ForwardingPort& Port() { return m_port; }
    engine::UiTicker& Ticker() { return *m_ticker; }
    engine::EngineWorker* Worker() { return m_worker.get(); }

    int64_t Position() override;
    std::array<int32_t, 12> Levels(int64_t position) override;
    int DeviceVolume() override;

    void PublishLibrary(const SampleLibrary& library) override;
    int64_t EstimateImportBytes(const std::string& path) override;
    bool MakePitchedCopy(const SampleDescriptor& descriptor, const SampleRef& key, double semitones, int64_t barSpan,
                         const std::string& outputPath, std::string* reason) override;

    bool WorkFileExists() override;
    bool OnOtherFileSystem(const std::string& storedPath) override;

private:
    stream::StreamEnvironment Environment();

    AppContext& m_context;
    ForwardingPort m_port;
    std::mutex m_deviceLock;
    std::unique_ptr<device::WaveOutDevice> m_output;
    std::unique_ptr<device::WaveInDevice> m_input;
    stream::CatalogueView m_catalogue;
    std::unique_ptr<stream::SampleCache> m_cache;
    std::unique_ptr<stream::SongSamplePath> m_songs;
    engine::EngineSampleContext m_sampleContext;
    std::unique_ptr<stream::StreamSampleSource> m_source;
    std::unique_ptr<engine::EngineWorker> m_worker;
    std::unique_ptr<engine::UiTicker> m_ticker;
};

} // namespace bm::app
