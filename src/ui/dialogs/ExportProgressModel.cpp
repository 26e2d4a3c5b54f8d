#include "ui/dialogs/ExportProgressModel.h"

#include "ui/dialogs/TextFormat.h"
#include "ui/skin/TextList.h"

#include <algorithm>

namespace bm::dialogs {

namespace {

constexpr int64_t kScanReport = 1;
constexpr int64_t kWriteReport = 2;
constexpr int64_t kFailedReport = 3;
constexpr int64_t kCancelledReport = 4;
constexpr int64_t kFinishedReport = 5;

} // namespace

std::vector<std::string> ExportProgressModel::BuiltInTexts()
{
    return {"Exporting",
            "The song is being exported.",
            "Please wait until both stages are done.",
            "Measuring the loudest measure:",
            "%.1f %s",
            "Writing the file:",
            "%.1f %s",
            "Cancelling...",
            "Do you want to stop the export?\\nThe file will not be written.",
            "The export is being stopped.\\nPlease wait.",
            "The song could not be exported.\\nThe disk may be full, or the file cannot be written there."};
}

ExportProgressModel::ExportProgressModel(std::vector<std::string> texts, engine::EngineClient& engine,
                                         engine::ExportReceiver receiver)
    : m_texts(std::move(texts)), m_engine(engine), m_receiver(receiver)
{
    m_texts.resize(TextCount);
    m_statusText = m_texts[StatusLabel];
    m_firstText = ProgressText(FirstFormat, 0);
    m_secondText = ProgressText(SecondFormat, 0);
}

std::string ExportProgressModel::ProgressText(Text format, int value) const
{
    return FormatText(m_texts[format], {value * 0.1, "%"});
}

void ExportProgressModel::Open(engine::ExportJob job)
{
    m_first = 0;
    m_second = 0;
    m_firstText = ProgressText(FirstFormat, 0);
    m_secondText = ProgressText(SecondFormat, 0);
    job.receiver = m_receiver;
    m_engine.Post(engine::StartExport{std::move(job)});
}

void ExportProgressModel::Deliver(const platform::Message& message, platform::Dialogs& dialogs,
                                  const MessageTexts& messages)
{
    if (m_closed || message.number != platform::msg::kExportProgress || message.receiver != m_receiver)
        return;
    const int value = int(std::clamp<int64_t>(message.lParam < 1 ? 0 : message.lParam, 0, kBarRange));
    switch (message.wParam) {
    case kScanReport:
        m_first = value;
        m_firstText = ProgressText(FirstFormat, value);
        break;
    case kWriteReport:
        m_second = value;
        m_secondText = ProgressText(SecondFormat, value);
        break;
    case kFailedReport: {
        platform::MessageRequest request;
        request.text = ExpandLineBreaks(m_texts[FailureMessage]);
        request.caption = messages.messageCaption;
        request.buttons = platform::MessageButtons::Ok;
        request.icon = platform::MessageIcon::Stop;
        dialogs.ShowMessage(request);
        m_closed = true;
        m_outcome = ExportOutcome::Failed;
        break;
    }
    case kCancelledReport:
        m_closed = true;
        m_outcome = ExportOutcome::Cancelled;
        break;
    case kFinishedReport:
        m_closed = true;
        m_outcome = ExportOutcome::Finished;
        break;
    default:
        break;
    }
}

void ExportProgressModel::Cancel(platform::Dialogs& dialogs, const MessageTexts& messages)
{
    if (m_closed || !m_cancelEnabled)
        return;
    platform::MessageRequest request;
    request.text = ExpandLineBreaks(m_texts[CancelQuestion]);
    request.caption = messages.messageCaption;
    request.buttons = platform::MessageButtons::YesNo;
    request.icon = platform::MessageIcon::Question;
    request.defaultButton = 1; // No
    if (dialogs.ShowMessage(request) != platform::MessageAnswer::Yes)
        return;
    // The engine may have finished while the question was open.
    if (m_closed)
        return;
    m_engine.Post(engine::CancelExport{});
    m_cancelText = m_texts[CancellingButton];
    m_cancelEnabled = false;
    m_statusText = ExpandLineBreaks(m_texts[CancellingStatus]);
}

} // namespace bm::dialogs
