// The engine's messages to the main window: sample lengths, transport
// changes, measures changed or rendered, the worker's state, the swap
// file's answers, processing progress and the news check's result. Once
// the window has started closing they are ignored.

#include "ui/main/MainController.h"
#include "ui/main/TextFill.h"

#include "core/Paths.h"
#include "engine/EngineWorker.h"
#include "ui/dialogs/ExportProgressDialog.h"
#include "ui/dialogs/RecordDialog.h"

#include <algorithm>

namespace bm::ui {

namespace {

const SampleRef* RefOf(const platform::Message& message)
{
    return std::get_if<SampleRef>(&message.payload);
}

} // namespace

void MainController::OnEngineMessage(const platform::Message& message)
{
    namespace msg = platform::msg;
    ViewState& v = m_state.view;
    if (v.closing)
        return;
    // The export progress dialog's reports, and the record dialog's news of
    // a device that would not open.
    if (message.receiver != 0) {
        if (m_exportRunning && m_services.dialogSet.exportProgress)
            m_services.dialogSet.exportProgress->Deliver(message);
        return;
    }
    if (message.number == msg::kPlaybackStopped && message.lParam == engine::kDeviceFailed && m_recordOpen &&
        m_services.dialogSet.record)
        m_services.dialogSet.record->Notify((message.wParam & engine::kModeRecording) ? dialogs::RecordTrouble::Input
                                                                                       : dialogs::RecordTrouble::Output);
    switch (message.number) {
    case msg::kSampleLength: {
        const SampleRef* ref = RefOf(message);
        SampleDescriptor* d = ref ? m_state.doc.library.Find(*ref) : nullptr;
        if (!d || d->IsEmpty() || d->length == message.lParam)
            break;
        if (message.lParam == 0)
            Status(m_texts.linkLostErr, ReplacePercent(m_texts.linkLostErr.text, FileNamePart(d->path)));
        d->length = static_cast<int32_t>(std::clamp<int64_t>(message.lParam, 0, INT32_MAX));
        m_services.samples.PublishLibrary(m_state.doc.library);
        m_view.Repaint(Area::Arrangement);
        m_view.Repaint(Area::Library);
        break;
    }
    case msg::kPlaybackStarted: {
        const int64_t mode = message.wParam;
        v.transport = (mode & engine::kModeRecording) ? Transport::Recording
                      : (mode & engine::kModeSong)    ? Transport::Playing
                                                      : Transport::Stopped;
        m_view.Repaint(Area::Transport);
        break;
    }
    case msg::kPlaybackStopped:
        if (message.lParam == engine::kDeviceFailed) {
            v.transport = Transport::Stopped;
            Status(m_texts.waveOpenErr, m_texts.waveOpenErr.text);
        } else {
            v.transport = message.lParam == 0 ? Transport::Stopped : static_cast<Transport>(message.lParam);
        }
        m_view.Repaint(Area::Transport);
        if (message.wParam != engine::kModePreview) {
            m_view.Repaint(Area::Cursor);
            if (v.followMode != FollowMode::Off && v.dragState == kDragIdle)
                ScrollTo(int64_t(v.cursorMeasure) * v.measureWidth - ViewWidth() / 2);
        }
        break;
    case msg::kMeasuresInvalidated:
    case msg::kMeasuresPrerendered: {
        const int32_t first = static_cast<int32_t>(std::max<int64_t>(0, message.wParam));
        const int32_t count = static_cast<int32_t>(std::clamp<int64_t>(message.lParam, 0, INT32_MAX));
        auto& measures = m_state.doc.song.measures;
        for (int64_t m = first; m < std::min<int64_t>(int64_t(first) + count, int64_t(measures.size())); ++m)
            measures[m].mark = 0;
        m_view.RepaintMeasures(first, count);
        break;
    }
    case msg::kWorkerState:
        if (message.wParam & 1)
            v.workerBusy = true;
        if (message.lParam & 1)
            v.workerBusy = false;
        if (message.wParam & 2)
            ++v.renderings;
        if (message.lParam & 2)
            v.renderings = std::max(0, v.renderings - 1);
        m_view.Repaint(Area::Wires);
        break;
    case msg::kSwapSizeSet:
        if (message.wParam != 0) {
            InsertPendingMeasures();
        } else {
            m_pendingInsertion.reset();
            Ask(m_texts.makeSwapErr, platform::MessageButtons::Ok, platform::MessageIcon::Exclamation);
        }
        break;
    case msg::kSwapSwitched:
        v.swapPosition = (message.wParam != 0 && message.lParam == 0) ? 2 : 0;
        v.swapPending = false;
        m_view.Repaint(Area::SwapSwitch);
        if (message.lParam != 0) {
            const TextRecord& text = message.wParam != 0 ? m_texts.makeSwapErr : m_texts.delSwapErr;
            Status(text, text.text);
        }
        break;
    case msg::kProgress:
        if (const SampleRef* ref = RefOf(message))
            v.progressRef = *ref;
        v.progressPercent = static_cast<int32_t>(std::clamp<int64_t>(message.lParam, 0, 100));
        m_view.Repaint(Area::Library);
        break;
    case msg::kIdleReport:
        v.swapPosition = message.wParam != 0 ? 4 : 2;
        m_view.Repaint(Area::SwapSwitch);
        break;
    case msg::kSongSampleRendering:
        if (const SampleRef* ref = RefOf(message)) {
            if (SampleDescriptor* d = m_state.doc.library.Find(*ref)) {
                d->number2 = static_cast<int32_t>(message.lParam);
                m_services.samples.PublishLibrary(m_state.doc.library);
                m_view.Repaint(Area::Library);
            }
        }
        break;
    case msg::kNewsDone:
        if (const std::string* text = std::get_if<std::string>(&message.payload))
            OnNews(*text);
        else
            OnNews({});
        break;
    default:
        break;
    }
}

} // namespace bm::ui
