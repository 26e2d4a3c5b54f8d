#pragma once

// The audio engine's worker thread: it owns the engine's copy of the song,
// the memory sample cache, the output device while playing, the render
// buffers and the swap file, and does everything in the order the queue
// gives it. Other threads only post commands (Post) and read the position,
// the spectrum and the device volume.
//
// Loop: wait for the wake event and report (WM_USER+15: 1, 0); handle every
// queued command (0x60001 waits up to 3 s for an urgent command; while
// playing it holds only the background work instead, so that the device is
// still fed); rebuild the memory cache when the song is dirty;
// pre-render into the swap file while measures are left (new commands
// first); report a pending idle value (WM_USER+20: 0, 0) and idle
// (WM_USER+15: 0, 1); wait again. Command -1 ends the thread and sets the
// finished event.
//
// Playback is paced by the output device: each returned buffer (0x10001)
// makes the worker fill and queue the next one, measure by measure along the
// measures' successors (a jump back ends playback unless looping). Song
// playback renders at unit master gain (the volume goes to the device) or
// reads measures already in the swap file.
//
// Threads: Post() from any thread (the device callbacks post through the
// queue directly); Position(), Spectrum() and DeviceVolume() from the UI
// thread, race-free; settings from any thread. Everything else is the
// worker's.
//
// Example (start-up and shut-down, UI thread):
//     EngineWorker engine(port, source, context, output, &input);
//     engine.Start();
//     engine.Post(engine::SetTempo{20352, 8});
//     ...
//     engine.Post(engine::Stop{}); engine.Post(engine::SwitchSwap{0}); engine.Post(engine::End{});
//     engine.WaitFinished(std::chrono::milliseconds(10000));

#include "core/Paths.h"
#include "engine/EngineQueue.h"
#include "engine/EngineSong.h"
#include "engine/MemorySampleCache.h"
#include "engine/PositionMap.h"
#include "engine/SampleSource.h"
#include "engine/SongRenderer.h"
#include "engine/SwapFile.h"
#include "engine/device/WaveInDevice.h"
#include "engine/device/WaveOutDevice.h"
#include "engine/dsp/SpectrumAnalyser.h"
#include "engine/stream/ReplacingWaveFile.h"
#include "engine/stream/SampleStream.h"
#include "platform/MessagePort.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace bm::engine {

// Transport mode: bits 0-1 what plays, bit 2 recording.
constexpr int32_t kModeIdle = 0;
constexpr int32_t kModeSong = 1;
constexpr int32_t kModePreview = 2;
constexpr int32_t kModeRecording = 4;

// WM_USER+12's lParam when a device could not be opened.
constexpr int64_t kDeviceFailed = 256;

constexpr int kPreviewEntries = 6;
// Background work is held back by 0x60001 for at most this long.
constexpr std::chrono::milliseconds kHoldTime{3000};

struct EngineSettings {
    std::string temporaryFolder;      // where the swap file goes (ends with '/')
    int64_t memoryLimit = 10 << 20;   // the memory setting (options line 12)
    const FolderList* folders = nullptr; // locked while the memory cache is trimmed
    // Replaces the swap file's storage (tests); null = WaveSwapStorage.
    std::unique_ptr<SwapStorage> swapStorage;
};

class EngineWorker final : public EngineClient, private SongObserver {
public:
    // `input` may be null (no recording). The references must outlive the
    // worker.
    EngineWorker(platform::MessagePort& port, SampleSource& source, EngineSampleContext& context,
                 device::WaveOutDevice& output, device::WaveInDevice* input, EngineSettings settings = {});
    // Ends the thread (posting -1) when it still runs.
    ~EngineWorker() override;
    EngineWorker(const EngineWorker&) = delete;
    EngineWorker& operator=(const EngineWorker&) = delete;

    void Start();
    // Any thread.
    void Post(EngineCommand command) override;
    // Waits for the finished event; true when the worker has ended.
    bool WaitFinished(std::chrono::milliseconds timeout);
    EngineQueue& Queue() { return m_queue; }

    // UI thread (any thread): the play position in song frames during song
    // playback, the device's frames during preview, else -1.
    int64_t Position();
    // UI thread: the twelve spectrum bands of what is being heard around
    // play position `position`; zeros unless playing or previewing.
    dsp::SpectrumAnalyser::Bands Spectrum(int64_t position);
    // UI thread: the output device's volume 0 ... 255, -1 when closed.
    int DeviceVolume() const;
    int32_t Mode() const { return m_mode.load(); }

    // Recording readings for the record display (any thread, lock-free;
    // written by the worker, display-only): the first left and right sample
    // of the newest input buffer, the recording file's data length in bytes
    // (refreshed once per ring of input buffers), and the free bytes on the
    // temporary folder's drive (0 when it cannot be read).
    int32_t InputLeft() const { return m_inputLeft.load(std::memory_order_relaxed); }
    int32_t InputRight() const { return m_inputRight.load(std::memory_order_relaxed); }
    uint32_t RecordedBytes() const { return m_recordedBytes.load(std::memory_order_relaxed); }
    double FreeSpace() const { return m_freeSpace.load(std::memory_order_relaxed); }

    void SetTemporaryFolder(std::string folder);
    void SetMemoryLimit(int64_t bytes) { m_memoryLimit.store(bytes); }

private:
    struct PreviewItem {
        std::string path;
        int32_t length = 0;   // frames
        int32_t position = 0; // frames played
        SampleRef ref;
        std::unique_ptr<SampleReader> reader;
    };

    void Run();
    // Handles one command; false after -1.
    bool Handle(EngineCommand& command);

    void OnOutputBufferDone();
    void OnSetTempo(const SetTempo& c);
    void OnSetSwapSize(const SetSwapSize& c);
    void OnSwitchSwap(const SwitchSwap& c);
    void OnSetSlot(const SetSlot& c);
    void OnInsertMeasures(const InsertMeasures& c);
    void OnRemoveMeasures(const RemoveMeasures& c);
    void OnPlaySong(int32_t volume, int32_t startMeasure, const std::vector<JumpPair>* jumps);
    void OnPreview(const Preview& c);
    void OnSetChannelGain(const SetChannelGain& c);
    void OnSetJumps(const SetJumps& c);
    void OnEnvelope(int32_t channel, int32_t kind, int32_t index, std::optional<EnvelopeNode> insert,
                    std::optional<EnvelopeNode> set, bool remove);
    void OnEnd();

    // Export (0x50001 ... 0x50003), in EngineWorkerExport.cpp.
    void OnExportCommand(const EngineCommand& command);
    // ---- export: declarations ----
    void StartExportJob(ExportJob job);
    void CancelExportJob();
    void ExportStepOnce();
    void ExportScanStep();
    void ExportWriteStep();
    void ExportFinishStep();
    // Ends the running export: the file deleted, `kind` posted (3 failed,
    // 4 cancelled).
    void AbandonExport(int64_t kind);
    // The measure the export takes after `measure`.
    int32_t NextExportMeasure(int32_t measure) const;
    // Moves on from the measure just done; true when the stage has ended.
    bool AdvanceExport();
    void PostExportStep();
    void PostExportMessage(int64_t kind, int64_t value, platform::MessagePayload payload = {});
    // ---- export: end ----

    // Recording (0x10002, 0x30008 ... 0x3000B), in EngineWorkerRecording.cpp.
    void OnRecordingCommand(const EngineCommand& command);
    // ---- recording: declarations ----
    void OnStartRecording();
    void OnEndRecording();
    void OnOpenRecordingFile();
    void OnCloseRecordingFile();
    void OnInputBufferFull(int32_t index);
    void PublishFreeSpace();
    std::string RecordingPath() const;
    // ---- recording: end ----

    // Opens the output (and the input with the record bit) and sets the
    // mode; false when a device could not be opened (reported).
    bool StartPlayback(int32_t request);
    void StopPlayback();
    bool FillSongBuffer();
    bool FillPreviewBuffer();
    bool AllOutputBuffersDone() const;
    int FirstDoneBuffer() const;
    void ReallocateRenderBuffers();
    bool PreRenderStep();
    void FreeMemoryCache();
    void MarkSlotReach(int32_t measure, const EngineSlot& slot);
    // Marks [first, last] of every slot span of the channel that overlaps it.
    void MarkChannelRange(int channel, int64_t first, int64_t last);
    bool IsPlaying() const { return (m_mode.load() & 3) != 0; }
    void PostMessage(int32_t number, int64_t wParam, int64_t lParam, platform::MessagePayload payload = {});
    std::string TemporaryFolder() const;

    // SongObserver for the engine's own song.
    void MeasuresInvalidated(int32_t first, int32_t count) override;
    void SampleLengthCorrected(const SampleRef& key, int32_t frames) override;
    void RenderProgress(const SampleRef& context, int32_t percent) override;

    platform::MessagePort& m_port;
    SampleSource& m_source;
    EngineSampleContext& m_context;
    device::WaveOutDevice& m_output;
    device::WaveInDevice* m_input;
    const FolderList* m_folders;
    EngineQueue m_queue;
    std::thread m_thread;

    // Worker-owned.
    EngineSong m_song;
    SongRenderer m_renderer;
    SwapFile m_swap;
    bool m_swapFailed = false;
    int32_t m_bufferBytes = 0;
    std::array<std::vector<int16_t>, device::kOutputBufferCount> m_renderBuffers;
    std::vector<int16_t> m_preRender;
    int32_t m_currentMeasure = -1;
    bool m_loop = false;
    int64_t m_queuedMeasures = 0;
    bool m_pendingIdleReport = false;
    bool m_preRenderedSinceBuffer = false;
    std::chrono::steady_clock::time_point m_holdUntil{}; // background work held while playing
    std::array<PreviewItem, kPreviewEntries> m_preview;
    bool m_previewReverse = false;

    // ---- export: state ----
    // The running job (stage >= 0) and its output file.
    ExportJob m_exportJob;
    stream::ReplacingWaveFile m_exportFile;
    int32_t m_exportStage = -1;      // -1 idle, 0 scan, 1 write, 2 finish
    int32_t m_exportMeasure = 0;     // the measure the next step handles
    int64_t m_exportDone = 0;        // measures done in this stage
    int64_t m_exportPeak = 0;        // loudest stored measure peak so far
    int64_t m_exportGain = kUnitGain;
    int32_t m_exportLength = 0;      // M when the job started, frames
    bool m_exportStepQueued = false; // one self-posted step at a time
    SongRenderer m_exportRenderer{m_source};
    std::vector<int16_t> m_exportMeasureSamples; // the last measure written
    std::vector<int16_t> m_exportHead;           // the first fade length of the data as written
    // The written peak, kept apart for the spans a fade may still change:
    // the head (first fade length) and the tail of the last measure written.
    int32_t m_exportBodyPeak = 0;
    int32_t m_exportTailPeak = 0;
    // ---- export: end ----

    // ---- recording: state ----
    // The recording file while writing (create mode), else closed.
    stream::SampleStream m_recording;
    // Published for the UI thread (see InputLeft() ... FreeSpace()).
    std::atomic<int32_t> m_inputLeft{0};
    std::atomic<int32_t> m_inputRight{0};
    std::atomic<uint32_t> m_recordedBytes{0};
    std::atomic<double> m_freeSpace{0.0};
    // ---- recording: end ----

    // Read by the UI thread.
    std::atomic<int32_t> m_mode{kModeIdle};
    std::atomic<int32_t> m_measureLengthAtStart{kDefaultSamplesPerMeasure};
    PositionMap m_positions;
    std::mutex m_spectrumMutex;
    dsp::SpectrumAnalyser m_analyser;
    std::array<int16_t, dsp::SpectrumAnalyser::kPoints> m_heard{};

    mutable std::mutex m_settingsMutex;
    std::string m_temporaryFolder;
    std::atomic<int64_t> m_memoryLimit;
};

} // namespace bm::engine
