#include "engine/EngineWorker.h"

#include "engine/MemoryCacheRebuild.h"
#include "engine/Successors.h"
#include "engine/WaveSwapStorage.h"

#include <algorithm>
#include <limits>

namespace bm::engine {

namespace {

namespace msg = platform::msg;

// Limits that keep hostile commands from making the worker allocate without
// bound: measure length (frames), measures per bar, measures in the song,
// points per envelope, characters of a sample path.
constexpr int32_t kMaxSamplesPerMeasure = 1 << 22;
constexpr int32_t kMaxMeasuresPerBar = 1 << 10;
constexpr int32_t kMaxMeasures = int32_t(kMaxSongMeasures);
constexpr size_t kMaxEnvelopePoints = 1 << 16;
constexpr size_t kMaxPathLength = 255;
// Playback buffers hold whole measures, as many as fit in 20 000 frames.
constexpr int32_t kBufferFrameTarget = 20000;
// A rebuild that keeps stopping for songs rendered into the disk cache is
// given up after this many restarts in a row.
constexpr int kMaxRebuildRestarts = 64;

int32_t PlaybackBufferBytes(int32_t m) { return m * 4 * std::max(1, kBufferFrameTarget / m); }

void ReverseFrames(int16_t* samples, int64_t frames)
{
    for (int64_t i = 0, j = frames - 1; i < j; ++i, --j) {
        std::swap(samples[2 * i], samples[2 * j]);
        std::swap(samples[2 * i + 1], samples[2 * j + 1]);
    }
}

int32_t ClampLength(int64_t frames)
{
    return int32_t(std::clamp<int64_t>(frames, 0, std::numeric_limits<int32_t>::max()));
}

} // namespace

EngineWorker::EngineWorker(platform::MessagePort& port, SampleSource& source, EngineSampleContext& context,
                           device::WaveOutDevice& output, device::WaveInDevice* input, EngineSettings settings)
    : m_port(port),
      m_source(source),
      m_context(context),
      m_output(output),
      m_input(input),
      m_folders(settings.folders),
      m_renderer(source),
      m_swap(settings.swapStorage ? std::move(settings.swapStorage) : std::make_unique<WaveSwapStorage>()),
      m_temporaryFolder(std::move(settings.temporaryFolder)),
      m_memoryLimit(settings.memoryLimit)
{
    m_context.barSpan = m_song.BarSpan();
}

EngineWorker::~EngineWorker()
{
    if (m_thread.joinable()) {
        m_queue.Post(End{});
        m_thread.join();
    }
}

void EngineWorker::Start()
{
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Run(); });
}

void EngineWorker::Post(EngineCommand command) { m_queue.Post(std::move(command)); }

bool EngineWorker::WaitFinished(std::chrono::milliseconds timeout) { return m_queue.FinishedEvent().WaitFor(timeout); }

void EngineWorker::PostMessage(int32_t number, int64_t wParam, int64_t lParam, platform::MessagePayload payload)
{
    platform::Message message;
    message.number = number;
    message.wParam = wParam;
    message.lParam = lParam;
    message.payload = std::move(payload);
    m_port.Post(std::move(message));
}

void EngineWorker::SetTemporaryFolder(std::string folder)
{
    std::lock_guard lock(m_settingsMutex);
    m_temporaryFolder = std::move(folder);
}

std::string EngineWorker::TemporaryFolder() const
{
    std::lock_guard lock(m_settingsMutex);
    return m_temporaryFolder;
}

// ---- The loop -------------------------------------------------------------

void EngineWorker::Run()
{
    m_bufferBytes = m_song.samplesPerMeasure * 4;
    ReallocateRenderBuffers();
    m_positions.Clear();
    for (;;) {
        m_queue.WakeEvent().Wait();
        PostMessage(msg::kWorkerState, 1, 0);
        int restarts = 0;
        for (;;) {
            while (auto command = m_queue.Take()) {
                if (!Handle(*command))
                    return;
            }
            if (m_holdUntil > std::chrono::steady_clock::now()) {
                // Held by 0x60001 while playing: no background work until the
                // hold runs out or an urgent command arrives.
                if (!m_queue.InterruptEvent().WaitFor(std::chrono::milliseconds(0)))
                    break;
                m_holdUntil = {};
            }
            if (m_context.dirty) {
                const auto result = RebuildMemoryCache(m_song, m_source, m_context.memoryCache, m_memoryLimit.load(),
                                                       m_folders, this);
                if (result == RebuildResult::StoppedForFreshRender && ++restarts < kMaxRebuildRestarts)
                    continue; // serve the queue first, then start over
                m_context.dirty = false;
            }
            const bool heldForPlayback = (m_mode.load() & 3) == kModeSong && m_preRenderedSinceBuffer;
            if (m_swap.IsOpen() && !m_swapFailed && !heldForPlayback && PreRenderStep())
                continue; // new commands first
            break;
        }
        if (m_pendingIdleReport) {
            m_pendingIdleReport = false;
            PostMessage(msg::kIdleReport, 0, 0);
        }
        PostMessage(msg::kWorkerState, 0, 1);
    }
}

bool EngineWorker::Handle(EngineCommand& command)
{
    switch (CodeOf(command)) {
    case CommandCode::OutputBufferDone:
        OnOutputBufferDone();
        break;
    case CommandCode::SetTempo:
        OnSetTempo(std::get<SetTempo>(command));
        break;
    case CommandCode::SetSwapSize:
        OnSetSwapSize(std::get<SetSwapSize>(command));
        break;
    case CommandCode::SwitchSwap:
        OnSwitchSwap(std::get<SwitchSwap>(command));
        break;
    case CommandCode::IdleReport:
        m_pendingIdleReport = true;
        PostMessage(msg::kIdleReport, std::get<IdleReport>(command).value, 0);
        break;
    case CommandCode::SetSlot:
        OnSetSlot(std::get<SetSlot>(command));
        break;
    case CommandCode::InsertMeasures:
        OnInsertMeasures(std::get<InsertMeasures>(command));
        break;
    case CommandCode::RemoveMeasures:
        OnRemoveMeasures(std::get<RemoveMeasures>(command));
        break;
    case CommandCode::FreeMemoryCache:
        FreeMemoryCache();
        break;
    case CommandCode::DeleteSampleCache: {
        const auto& c = std::get<DeleteSampleCache>(command);
        m_source.DeleteCacheFile(c.path, m_song.BarSpan(), c.ref);
        FreeMemoryCache();
        break;
    }
    case CommandCode::PlaySong: {
        const auto& c = std::get<PlaySong>(command);
        OnPlaySong(c.volume, c.startMeasure, nullptr);
        break;
    }
    case CommandCode::PlaySongWithJumps: {
        const auto& c = std::get<PlaySongWithJumps>(command);
        OnPlaySong(c.volume, c.startMeasure, &c.jumps);
        break;
    }
    case CommandCode::Preview:
        OnPreview(std::get<Preview>(command));
        break;
    case CommandCode::Stop:
        StopPlayback();
        break;
    case CommandCode::LoopOn:
        m_loop = true;
        break;
    case CommandCode::LoopOff:
        m_loop = false;
        break;
    case CommandCode::SetChannelGain:
        OnSetChannelGain(std::get<SetChannelGain>(command));
        break;
    case CommandCode::SetJumps:
        OnSetJumps(std::get<SetJumps>(command));
        break;
    case CommandCode::InsertEnvelopePoint: {
        const auto& c = std::get<InsertEnvelopePoint>(command);
        OnEnvelope(c.channel, c.kind, c.index, EnvelopeNode{c.position, c.value}, std::nullopt, false);
        break;
    }
    case CommandCode::SetEnvelopePoint: {
        const auto& c = std::get<SetEnvelopePoint>(command);
        OnEnvelope(c.channel, c.kind, c.index, std::nullopt, EnvelopeNode{c.position, c.value}, false);
        break;
    }
    case CommandCode::DeleteEnvelopePoint: {
        const auto& c = std::get<DeleteEnvelopePoint>(command);
        OnEnvelope(c.channel, c.kind, c.index, std::nullopt, std::nullopt, true);
        break;
    }
    case CommandCode::HoldBackground:
        if (IsPlaying()) {
            // Waiting here would starve the device of buffers (its
            // completions do not interrupt); hold only the background work.
            m_holdUntil = std::chrono::steady_clock::now() + kHoldTime;
        } else {
            m_queue.InterruptEvent().WaitFor(kHoldTime);
        }
        break;
    case CommandCode::ClearCaches:
        FreeMemoryCache();
        m_source.ClearDiskCache();
        break;
    case CommandCode::StartExport:
    case CommandCode::CancelExport:
    case CommandCode::ExportStep:
        OnExportCommand(command);
        break;
    case CommandCode::InputBufferFull:
    case CommandCode::StartRecording:
    case CommandCode::EndRecording:
    case CommandCode::OpenRecordingFile:
    case CommandCode::CloseRecordingFile:
        OnRecordingCommand(command);
        break;
    case CommandCode::End:
        OnEnd();
        return false;
    }
    return true;
}

void EngineWorker::OnEnd()
{
    // A running export ends as cancelled (its temporary file deleted); a
    // take keeps what was written.
    CancelExportJob();
    m_recording.Close();
    m_swap.SwitchOff();
    if ((m_mode.load() & kModeRecording) != 0 && m_input)
        m_input->Close();
    m_output.Close();
    m_mode.store(kModeIdle);
    for (auto& item : m_preview)
        item = PreviewItem{};
    for (auto& buffer : m_renderBuffers)
        std::vector<int16_t>().swap(buffer);
    m_queue.Clear();
    m_song.measures.clear();
    m_context.memoryCache.Clear();
    m_queue.FinishedEvent().Set();
}

// ---- Song changes ---------------------------------------------------------

void EngineWorker::FreeMemoryCache()
{
    m_context.memoryCache.Clear();
    m_context.dirty = true;
}

void EngineWorker::ReallocateRenderBuffers()
{
    for (auto& buffer : m_renderBuffers)
        buffer.assign(size_t(m_bufferBytes) / 2, 0);
}

void EngineWorker::OnSetTempo(const SetTempo& c)
{
    const int32_t m = c.samplesPerMeasure;
    const int32_t d = c.measuresPerBar;
    if (m < 1 || m > kMaxSamplesPerMeasure || d < 1 || d > kMaxMeasuresPerBar)
        return;
    if (m == m_song.samplesPerMeasure && d == m_song.measuresPerBar)
        return;
    m_song.samplesPerMeasure = m;
    m_song.measuresPerBar = d;
    m_context.barSpan = m_song.BarSpan();
    m_bufferBytes = PlaybackBufferBytes(m);
    ReallocateRenderBuffers();
    m_song.MarkAllNotRendered(this);
    FreeMemoryCache();
}

void EngineWorker::OnSetSwapSize(const SetSwapSize& c)
{
    const int64_t result = m_swap.IsOpen() ? int64_t(m_swap.SetDataSize(c.bytes)) : 1;
    m_swapFailed = false;
    PostMessage(msg::kSwapSizeSet, result, c.reply);
}

void EngineWorker::OnSwitchSwap(const SwitchSwap& c)
{
    const bool on = c.on != 0;
    int result = 0;
    if (on != m_swap.IsOpen()) {
        if (on)
            result = m_swap.SwitchOn(TemporaryFolder(),
                                     int64_t(m_song.MeasureCount()) * m_song.samplesPerMeasure * 4);
        else
            result = m_swap.SwitchOff();
    }
    m_swapFailed = false;
    PostMessage(msg::kSwapSwitched, c.on, result);
    m_song.MarkAllNotRendered(this);
}

void EngineWorker::MarkSlotReach(int32_t measure, const EngineSlot& slot)
{
    m_song.MarkNotRendered(measure, m_song.MeasuresReached(slot), this);
}

void EngineWorker::OnSetSlot(const SetSlot& c)
{
    if (c.measure < 0 || c.measure >= m_song.MeasureCount() || c.channel < 0 || c.channel >= kChannels)
        return;
    EngineSlot& slot = m_song.measures[size_t(c.measure)].slots[size_t(c.channel)];
    const EngineSlot old = slot;
    slot.path = c.path.substr(0, kMaxPathLength);
    slot.start = c.start;
    slot.length = c.sampleLength;
    slot.reverse = c.reverse;
    slot.key = c.ref;
    if (m_song.channelGain[size_t(c.channel)] != 0) {
        if (!old.IsEmpty())
            MarkSlotReach(c.measure, old);
        if (!slot.IsEmpty())
            MarkSlotReach(c.measure, slot);
        m_context.dirty = true;
    }
}

void EngineWorker::OnInsertMeasures(const InsertMeasures& c)
{
    const int32_t count = m_song.MeasureCount();
    const int32_t first = std::clamp(c.first, 0, count);
    const int32_t n = std::clamp(c.count, 0, kMaxMeasures - count);
    if (n <= 0)
        return;
    m_song.measures.insert(m_song.measures.begin() + first, size_t(n), EngineMeasure{});
    m_song.MarkNotRendered(first, m_song.MeasureCount() - first, this);
}

void EngineWorker::OnRemoveMeasures(const RemoveMeasures& c)
{
    const int32_t count = m_song.MeasureCount();
    if (c.first < 0 || c.first >= count || c.count <= 0)
        return;
    const int32_t n = std::min(c.count, count - c.first);
    m_song.measures.erase(m_song.measures.begin() + c.first, m_song.measures.begin() + c.first + n);
    m_song.MarkNotRendered(c.first, m_song.MeasureCount() - c.first, this);
    m_context.dirty = true;
}

void EngineWorker::MarkChannelRange(int channel, int64_t first, int64_t last)
{
    const int32_t count = m_song.MeasureCount();
    first = std::max<int64_t>(first, 0);
    last = std::min<int64_t>(last, int64_t(count) - 1);
    if (first > last)
        return;
    std::vector<char> marked(size_t(count), 0);
    for (int32_t m = 0; m <= last; ++m) {
        const EngineSlot& slot = m_song.measures[size_t(m)].slots[size_t(channel)];
        if (slot.IsEmpty())
            continue;
        const int64_t spanEnd = std::min<int64_t>(int64_t(m) + m_song.MeasuresReached(slot) - 1, last);
        for (int64_t k = std::max<int64_t>(m, first); k <= spanEnd; ++k)
            marked[size_t(k)] = 1;
    }
    for (int32_t m = 0; m < count;) {
        if (!marked[size_t(m)]) {
            ++m;
            continue;
        }
        int32_t end = m;
        while (end < count && marked[size_t(end)])
            ++end;
        m_song.MarkNotRendered(m, end - m, this);
        m = end;
    }
}

void EngineWorker::OnSetChannelGain(const SetChannelGain& c)
{
    if (c.channel < 0 || c.channel >= kChannels)
        return;
    int32_t& gain = m_song.channelGain[size_t(c.channel)];
    if ((gain == 0) != (c.gain == 0))
        m_context.dirty = true;
    gain = c.gain;
    MarkChannelRange(c.channel, 0, m_song.MeasureCount() - 1);
}

void EngineWorker::OnEnvelope(int32_t channel, int32_t kind, int32_t index, std::optional<EnvelopeNode> insert,
                              std::optional<EnvelopeNode> set, bool remove)
{
    if (channel < 0 || channel >= kChannels || kind < 0 || kind > 1)
        return;
    EnvelopeNodes& envelope = m_song.envelopes[size_t(channel)][size_t(kind)];
    if (insert) {
        if (envelope.size() >= kMaxEnvelopePoints)
            return;
        index = std::clamp<int32_t>(index, 0, int32_t(envelope.size()));
        envelope.insert(envelope.begin() + index, *insert);
    }
    if (index < 0 || index >= int32_t(envelope.size()))
        return;
    const EnvelopeNode old = envelope[size_t(index)];
    if (set)
        envelope[size_t(index)] = *set;

    if (m_song.channelGain[size_t(channel)] > 0) {
        const int32_t last = int32_t(envelope.size()) - 1;
        const EnvelopeNode& current = envelope[size_t(index)];
        const EnvelopeNode& previous = envelope[size_t(std::max(index - 1, 0))];
        const EnvelopeNode& next = envelope[size_t(std::min(index + 1, last))];
        const bool unchanged = previous.value == current.value && next.value == current.value && old.value == current.value;
        if (!unchanged) {
            // The song frames whose envelope value depends on the point:
            // between its neighbours; before the first point the envelope
            // runs from frame 0, and from the last point on it holds to the
            // song's end.
            const int64_t m = m_song.samplesPerMeasure;
            const int64_t from = index == 0 ? 0 : int64_t(previous.position) + 1;
            const int64_t to = index == last ? int64_t(m_song.MeasureCount()) * m - 1 : int64_t(next.position) - 1;
            if (from <= to)
                MarkChannelRange(channel, from / m, to / m);
        }
    }
    if (remove)
        envelope.erase(envelope.begin() + index);
}

// ---- Transport ------------------------------------------------------------

bool EngineWorker::StartPlayback(int32_t request)
{
    const int32_t mode = m_mode.load();
    if (m_output.IsOpen() && m_output.BufferBytes() != m_bufferBytes)
        m_output.Close(); // the measure length changed: buffers of the new size
    if (m_output.IsOpen()) {
        PostMessage(msg::kPlaybackStopped, mode, request);
        m_output.Reset();
    } else if (m_output.Open(&m_queue, m_bufferBytes) != device::kDeviceOk) {
        PostMessage(msg::kPlaybackStopped, mode + (request & kModeRecording), kDeviceFailed);
        return false;
    }
    if ((request & kModeRecording) != 0) {
        int result = device::kDeviceNoDriver;
        if ((mode & kModeRecording) != 0 && m_input) {
            m_input->Start();
            result = device::kDeviceOk;
        } else if (m_input) {
            result = m_input->Open(&m_queue);
        }
        if (result != device::kDeviceOk) {
            m_output.Close();
            PostMessage(msg::kPlaybackStopped, mode & 3, kDeviceFailed);
            if (!m_input || m_input->Open(&m_queue) != device::kDeviceOk) {
                PostMessage(msg::kPlaybackStopped, kModeRecording, kDeviceFailed);
                return false;
            }
            request = kModeRecording;
        }
    }
    m_measureLengthAtStart.store(m_song.samplesPerMeasure);
    const int32_t newMode = request | (mode & kModeRecording);
    m_mode.store(newMode);
    if ((newMode & 3) != 0)
        PostMessage(msg::kPlaybackStarted, newMode, 0);
    return true;
}

void EngineWorker::StopPlayback()
{
    const int32_t mode = m_mode.load();
    PostMessage(msg::kPlaybackStopped, mode, 0);
    m_queuedMeasures = 0;
    m_positions.Clear();
    m_currentMeasure = -1;
    for (auto& item : m_preview)
        item = PreviewItem{};
    if (m_output.IsOpen() && (mode & kModeRecording) != 0) {
        m_mode.store(kModeRecording);
        m_output.Reset();
    } else {
        m_mode.store(mode & kModeRecording);
        m_output.Close();
    }
}

int EngineWorker::FirstDoneBuffer() const
{
    for (int i = 0; i < device::kOutputBufferCount; ++i) {
        if (m_output.IsDone(i))
            return i;
    }
    return -1;
}

bool EngineWorker::AllOutputBuffersDone() const
{
    for (int i = 0; i < device::kOutputBufferCount; ++i) {
        if (!m_output.IsDone(i))
            return false;
    }
    return true;
}

void EngineWorker::OnPlaySong(int32_t volume, int32_t startMeasure, const std::vector<JumpPair>* jumps)
{
    if (startMeasure < 0 || m_song.measures.empty()) {
        StopPlayback();
        return;
    }
    for (auto& item : m_preview)
        item = PreviewItem{};
    if (!StartPlayback(kModeSong))
        return;
    m_output.SetVolume(volume & 0xFFFFFF);
    m_positions.Clear();
    m_queuedMeasures = 0;
    if (jumps)
        SetJumpSuccessors(m_song, *jumps);
    else
        SetPlainSuccessors(m_song);
    m_currentMeasure = startMeasure;
    for (int i = 0; i < device::kOutputBufferCount && m_currentMeasure >= 0; ++i) {
        if (!FillSongBuffer())
            break;
    }
}

void EngineWorker::OnSetJumps(const SetJumps& c)
{
    if ((m_mode.load() & 3) == kModeSong)
        SetJumpSuccessors(m_song, c.jumps);
}

bool EngineWorker::FillSongBuffer()
{
    const int index = FirstDoneBuffer();
    if (index < 0)
        return false;
    const int32_t m = m_song.samplesPerMeasure;
    const int32_t perBuffer = std::max(1, m_bufferBytes / (m * 4));
    std::vector<int16_t>& buffer = m_renderBuffers[size_t(index)];
    int32_t a = m_currentMeasure;
    for (int32_t k = 0; k < perBuffer; ++k) {
        int16_t* target = buffer.data() + size_t(k) * size_t(m) * 2;
        if (a < 0) {
            std::fill_n(target, size_t(m) * 2, int16_t(0));
        } else {
            m_positions.Add(m_queuedMeasures, a);
            if (a >= m_song.MeasureCount()) {
                std::fill_n(target, size_t(m) * 2, int16_t(0));
                a = -1;
            } else {
                const bool fromSwap =
                    m_swap.IsOpen() && m_song.measures[size_t(a)].rendered != 0 && m_swap.ReadMeasure(a, m, target);
                if (!fromSwap) {
                    PostMessage(msg::kWorkerState, 2, 0);
                    m_renderer.Render(m_song, a, 1, kUnitGain, target, this);
                    PostMessage(msg::kWorkerState, 0, 2);
                }
                int32_t next = m_song.measures[size_t(a)].successor;
                if (next <= a && !m_loop)
                    next = -1; // a jump back ends playback unless looping
                a = next;
            }
        }
        ++m_queuedMeasures;
    }
    m_currentMeasure = a;
    return m_output.Send(index, buffer) == 1;
}

void EngineWorker::OnPreview(const Preview& c)
{
    const int64_t span = m_song.BarSpan();
    bool any = false;
    for (int i = kPreviewEntries - 1; i >= 0; --i) {
        PreviewItem& item = m_preview[size_t(i)];
        item = PreviewItem{};
        if (size_t(i) >= c.entries.size())
            continue;
        const PreviewEntry& entry = c.entries[size_t(i)];
        item.path = entry.path.substr(0, kMaxPathLength);
        item.ref = entry.ref;
        if (item.path.empty())
            continue;
        item.reader = m_source.Open(item.path, span, item.ref);
        if (!item.reader)
            continue; // unavailable: nothing to play
        item.length = ClampLength(item.reader->Length());
        PostMessage(msg::kSampleLength, 0, item.length, item.ref);
        any = any || item.length >= 1;
    }
    if (!any)
        return;
    if (!StartPlayback(kModePreview))
        return;
    m_output.SetVolume(c.volume & 0xFFFFFF);
    m_previewReverse = c.reverse != 0;
    for (int i = 0; i < device::kOutputBufferCount; ++i) {
        if (!FillPreviewBuffer())
            break;
    }
}

bool EngineWorker::FillPreviewBuffer()
{
    const int index = FirstDoneBuffer();
    if (index < 0)
        return false;
    std::vector<int16_t>& buffer = m_renderBuffers[size_t(index)];
    std::fill(buffer.begin(), buffer.end(), int16_t(0));
    const int32_t frames = m_bufferBytes / 4;
    int32_t written = 0;
    for (auto& item : m_preview) {
        if (written >= frames)
            break;
        if (!item.reader || item.position >= item.length)
            continue;
        const int32_t n = std::min(frames - written, item.length - item.position);
        int16_t* target = buffer.data() + size_t(written) * 2;
        if (m_previewReverse) {
            item.reader->Read(int64_t(item.length) - item.position - n, target, n);
            ReverseFrames(target, n);
        } else {
            item.reader->Read(item.position, target, n);
        }
        item.position += n;
        written += n;
    }
    if (written == 0)
        return false;
    return m_output.Send(index, buffer) == 1;
}

void EngineWorker::OnOutputBufferDone()
{
    m_preRenderedSinceBuffer = false;
    const int32_t mode = m_mode.load() & 3;
    bool queued = false;
    if (mode == kModeSong)
        queued = m_currentMeasure >= 0 && FillSongBuffer();
    else if (mode == kModePreview)
        queued = FillPreviewBuffer();
    else
        return;
    if (!queued && AllOutputBuffersDone())
        StopPlayback();
}

// ---- Pre-rendering --------------------------------------------------------

bool EngineWorker::PreRenderStep()
{
    const int32_t count = m_song.MeasureCount();
    const int32_t m = m_song.samplesPerMeasure;
    auto notRendered = [&](int32_t a) { return a >= 0 && a < count && m_song.measures[size_t(a)].rendered == 0; };
    int32_t first = -1;
    int32_t limit = 4;
    if ((m_mode.load() & 3) == kModeSong && m_currentMeasure >= 0) {
        // Ahead of playback first: follow the successors from the next
        // measure to render, at most once round.
        limit = 1;
        int32_t a = m_currentMeasure;
        for (int32_t steps = 0; steps <= count && a >= 0 && a < count; ++steps) {
            if (notRendered(a)) {
                first = a;
                break;
            }
            a = m_song.measures[size_t(a)].successor;
        }
    }
    for (int32_t a = 0; first < 0 && a < count; ++a) {
        if (notRendered(a))
            first = a;
    }
    if (first < 0)
        return false;
    int32_t n = 1;
    while (n < limit && notRendered(first + n))
        ++n;
    m_preRender.resize(size_t(n) * size_t(m) * 2);
    n = m_renderer.Render(m_song, first, n, kUnitGain, m_preRender.data(), this);
    if (n > 0 && m_swap.WriteMeasures(first, n, m, m_preRender.data())) {
        for (int32_t k = 0; k < n; ++k)
            m_song.measures[size_t(first + k)].rendered = 1;
        PostMessage(msg::kMeasuresPrerendered, first, n);
    } else {
        m_swapFailed = true; // until the swap file is sized or switched again
    }
    if ((m_mode.load() & 3) == kModeSong)
        m_preRenderedSinceBuffer = true;
    return true;
}

// ---- Reads from the UI thread ---------------------------------------------

int64_t EngineWorker::Position()
{
    const int32_t mode = m_mode.load() & 3;
    if (mode == kModeIdle)
        return -1;
    int64_t frames = 0;
    if (m_output.GetPosition(frames) != device::kDeviceOk)
        return -1;
    if (mode == kModePreview)
        return frames;
    const int64_t m = m_measureLengthAtStart.load();
    if (m <= 0)
        return -1;
    const int32_t measure = m_positions.Find(frames / m);
    if (measure < 0)
        return -1;
    return frames % m + int64_t(measure) * m;
}

dsp::SpectrumAnalyser::Bands EngineWorker::Spectrum(int64_t position)
{
    dsp::SpectrumAnalyser::Bands bands{};
    if (!IsPlaying())
        return bands;
    const int64_t m = std::max<int64_t>(1, m_measureLengthAtStart.load());
    std::lock_guard lock(m_spectrumMutex);
    if (!m_output.CopyHeardLeft(position >= 0 ? position % m : 0, m_heard.data(), int(m_heard.size())))
        return bands;
    return m_analyser.Analyse(m_heard);
}

int EngineWorker::DeviceVolume() const { return m_output.GetVolume(); }

// ---- Messages for the engine's own song -----------------------------------

void EngineWorker::MeasuresInvalidated(int32_t first, int32_t count)
{
    PostMessage(msg::kMeasuresInvalidated, first, count);
}

void EngineWorker::SampleLengthCorrected(const SampleRef& key, int32_t frames)
{
    PostMessage(msg::kSampleLength, 0, frames, key);
}

void EngineWorker::RenderProgress(const SampleRef& context, int32_t percent)
{
    PostMessage(msg::kProgress, 0, percent, context);
}

} // namespace bm::engine
