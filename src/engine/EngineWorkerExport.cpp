// The engine worker's export of the song to a wave file: a chain of steps,
// one measure each, that the worker posts to itself, so that whatever is
// queued meanwhile (a cancel above all) runs between measures.
//
// Stages: scan (0) renders each exported measure at unit gain, unless the
// swap file holds it already, to learn the loudest stored measure peak;
// write (1) renders each measure again at the normalising gain and writes it
// at its place in the data; finish (2) applies the fades and puts the file
// in place. Progress, failure, cancel and success go to the job's receiver
// as WM_USER+18 (kind, value).
//
// Every stage walks from the job's first measure along its jumps and stops
// at the end of the song or after the job's count of measures, whichever
// comes first: a job whose jumps form a cycle still ends.

#include "engine/EngineWorker.h"

#include "engine/ExportAudio.h"

#include <algorithm>
#include <cstdlib>

namespace bm::engine {

namespace {

namespace msg = platform::msg;

// WM_USER+18 kinds.
constexpr int64_t kScanProgress = 1;
constexpr int64_t kWriteProgress = 2;
constexpr int64_t kExportFailed = 3;
constexpr int64_t kExportCancelled = 4;
constexpr int64_t kExportFinished = 5;

constexpr int32_t kStageIdle = -1;
constexpr int32_t kStageScan = 0;
constexpr int32_t kStageWrite = 1;
constexpr int32_t kStageFinish = 2;

} // namespace

void EngineWorker::OnExportCommand(const EngineCommand& command)
{
    switch (CodeOf(command)) {
    case CommandCode::StartExport:
        StartExportJob(std::get<StartExport>(command).job);
        break;
    case CommandCode::CancelExport:
        CancelExportJob();
        break;
    case CommandCode::ExportStep:
        m_exportStepQueued = false;
        ExportStepOnce();
        break;
    default:
        break;
    }
}

void EngineWorker::PostExportMessage(int64_t kind, int64_t value, platform::MessagePayload payload)
{
    platform::Message message;
    message.number = msg::kExportProgress;
    message.wParam = kind;
    message.lParam = value;
    message.payload = std::move(payload);
    message.receiver = m_exportJob.receiver;
    m_port.Post(std::move(message));
}

void EngineWorker::PostExportStep()
{
    // A step left in the queue by an earlier job serves the new one too, so
    // there is never more than one chain of steps.
    if (m_exportStepQueued)
        return;
    m_exportStepQueued = true;
    m_queue.Post(ExportStep{});
}

void EngineWorker::StartExportJob(ExportJob job)
{
    if (m_exportStage != kStageIdle) {
        // The new job replaces the running one; its receiver hears that it
        // ended.
        AbandonExport(kExportCancelled);
    }
    m_exportJob = std::move(job);
    const ExportJob& j = m_exportJob;
    const bool valid = j.count > 0 && j.firstMeasure >= 0 && j.firstMeasure < m_song.MeasureCount() &&
                       j.level >= kMinExportLevel && j.level <= kMaxExportLevel;
    if (!valid || !m_exportFile.Create(j.outputPath)) {
        PostExportMessage(kExportFailed, 0);
        m_exportJob = ExportJob{};
        return;
    }
    m_exportLength = m_song.samplesPerMeasure;
    m_exportStage = kStageScan;
    m_exportMeasure = j.firstMeasure;
    m_exportDone = 0;
    m_exportPeak = 0;
    m_exportGain = kUnitGain;
    m_exportMeasureSamples.assign(size_t(m_exportLength) * 2, 0);
    m_exportHead.clear();
    m_exportBodyPeak = 0;
    m_exportTailPeak = 0;
    PostExportStep();
}

void EngineWorker::CancelExportJob()
{
    if (m_exportStage != kStageIdle)
        AbandonExport(kExportCancelled);
}

void EngineWorker::AbandonExport(int64_t kind)
{
    m_exportStage = kStageIdle;
    m_exportFile.Discard();
    PostExportMessage(kind, 0);
    m_exportJob = ExportJob{};
    std::vector<int16_t>().swap(m_exportMeasureSamples);
    std::vector<int16_t>().swap(m_exportHead);
}

int32_t EngineWorker::NextExportMeasure(int32_t measure) const
{
    for (const auto& [from, to] : m_exportJob.jumps) {
        if (from == measure)
            return to;
    }
    return measure + 1;
}

bool EngineWorker::AdvanceExport()
{
    m_exportMeasure = NextExportMeasure(m_exportMeasure);
    return m_exportMeasure < 0 || m_exportMeasure >= m_song.MeasureCount() || m_exportDone >= m_exportJob.count;
}

void EngineWorker::ExportStepOnce()
{
    if (m_exportStage == kStageIdle)
        return;
    if (m_song.samplesPerMeasure != m_exportLength) {
        // The measures written so far have another length: the file would
        // mix two tempos.
        AbandonExport(kExportFailed);
        return;
    }
    switch (m_exportStage) {
    case kStageScan:
        ExportScanStep();
        break;
    case kStageWrite:
        ExportWriteStep();
        break;
    default:
        ExportFinishStep();
        break;
    }
}

void EngineWorker::ExportScanStep()
{
    const int32_t s = m_exportMeasure;
    bool ended = s < 0 || s >= m_song.MeasureCount(); // the song shrank meanwhile
    if (!ended) {
        EngineMeasure& measure = m_song.measures[size_t(s)];
        if (!(m_swap.IsOpen() && measure.rendered != 0))
            m_exportRenderer.Render(m_song, s, 1, kUnitGain, m_exportMeasureSamples.data(), this);
        m_exportPeak = std::max<int64_t>(m_exportPeak, std::abs(int64_t(m_song.measures[size_t(s)].peak)));
        ++m_exportDone;
        PostExportMessage(kScanProgress, ExportProgress(m_exportDone, m_exportJob.count));
        ended = AdvanceExport();
    }
    if (ended) {
        PostExportMessage(kScanProgress, 1000);
        m_exportStage = kStageWrite;
        m_exportMeasure = m_exportJob.firstMeasure;
        m_exportDone = 0;
        m_exportGain = ExportGain(m_exportJob.level, EffectivePeak(m_exportPeak));
    }
    PostExportStep();
}

void EngineWorker::ExportWriteStep()
{
    const int32_t s = m_exportMeasure;
    bool ended = s < 0 || s >= m_song.MeasureCount();
    if (!ended) {
        const int32_t m = m_exportLength;
        int16_t* samples = m_exportMeasureSamples.data();
        // The swap file holds measures at unit gain, so it serves exactly
        // when that is the gain being written.
        const bool fromSwap = m_swap.IsOpen() && m_song.measures[size_t(s)].rendered != 0 &&
                              m_exportGain == kUnitGain && m_swap.ReadMeasure(s, m, samples);
        if (!fromSwap) {
            PostMessage(msg::kWorkerState, 2, 0);
            m_exportRenderer.Render(m_song, s, 1, m_exportGain, samples, this);
            PostMessage(msg::kWorkerState, 0, 2);
        }
        const int64_t measureBytes = int64_t(m) * 4;
        if (!m_exportFile.WriteAt(m_exportDone * measureBytes, samples, measureBytes)) {
            AbandonExport(kExportFailed);
            return;
        }
        // A measure holds four fade lengths, so its head and tail never meet.
        const size_t fadeSamples = size_t(FadeBytes(m) / 2);
        const size_t measureSamples = size_t(m) * 2;
        size_t bodyStart = 0;
        if (m_exportDone == 0) {
            m_exportHead.assign(samples, samples + fadeSamples);
            bodyStart = fadeSamples;
        }
        // The tail of the measure before is no longer the end of the data.
        m_exportBodyPeak = std::max({m_exportBodyPeak, m_exportTailPeak,
                                     SamplePeak({samples + bodyStart, measureSamples - fadeSamples - bodyStart})});
        m_exportTailPeak = SamplePeak({samples + measureSamples - fadeSamples, fadeSamples});
        ++m_exportDone;
        PostExportMessage(kWriteProgress, ExportProgress(m_exportDone, m_exportJob.count));
        ended = AdvanceExport();
    }
    if (ended) {
        PostExportMessage(kWriteProgress, 1000);
        m_exportStage = kStageFinish;
    }
    PostExportStep();
}

void EngineWorker::ExportFinishStep()
{
    // The fades work on what was written: the first fade length of the data
    // (kept from the first measure) and the last, which lies in the last
    // measure written (still in the measure buffer). A measure is four fade
    // lengths long, so the two never overlap.
    const int64_t fade = FadeBytes(m_exportLength);
    const int64_t dataBytes = m_exportDone * int64_t(m_exportLength) * 4;
    bool ok = true;
    if (m_exportDone > 0 && fade > 0) {
        if (m_exportJob.fadeIn != 0) {
            FadeIn(m_exportHead);
            ok = ok && m_exportFile.WriteAt(0, m_exportHead.data(), fade);
        }
        if (m_exportJob.fadeOut != 0) {
            const size_t samples = size_t(fade / 2);
            std::span<int16_t> tail(m_exportMeasureSamples.data() + m_exportMeasureSamples.size() - samples, samples);
            FadeOut(tail);
            ok = ok && m_exportFile.WriteAt(dataBytes - fade, tail.data(), fade);
            m_exportTailPeak = SamplePeak(tail);
        }
    }
    const int32_t writtenPeak = std::max({m_exportBodyPeak, m_exportTailPeak, SamplePeak(m_exportHead)});
    if (!ok || !m_exportFile.Commit()) {
        AbandonExport(kExportFailed);
        return;
    }
    ExportSummary summary;
    summary.measures = m_exportDone;
    summary.frames = m_exportDone * m_exportLength;
    summary.peak = m_exportPeak;
    summary.gain = m_exportGain;
    summary.writtenPeak = writtenPeak;
    m_exportStage = kStageIdle;
    PostExportMessage(kExportFinished, 0, FormatExportSummary(summary));
    m_exportJob = ExportJob{};
    std::vector<int16_t>().swap(m_exportMeasureSamples);
    std::vector<int16_t>().swap(m_exportHead);
}

} // namespace bm::engine
