#pragma once

// The export progress dialog without its window: two bars of 0 ... 1000 for
// the scan and the write stage with their percentage texts, the cancel
// button that asks first and then waits for the engine, and the end of the
// dialog when the engine reports failure (3), cancellation (4) or
// completion (5).
//
//     ExportProgressModel model(texts, engine, receiverId);
//     model.Open(std::move(job));                 // posts the job
//     model.Deliver(message, dialogs, messages);  // for each WM_USER+18
//     if (model.Closed()) ... model.Outcome()

#include "engine/EngineCommand.h"
#include "platform/Dialogs.h"
#include "platform/MessagePort.h"
#include "ui/dialogs/DialogTexts.h"
#include "ui/dialogs/ExportProgressDialog.h"
#include "ui/services/HelpPages.h"

#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

class ExportProgressModel {
public:
    static constexpr std::string_view kTextList = "Export_Progress.res";
    static constexpr services::HelpPage kHelpPage = services::HelpPage::ExportProgress;
    enum Text {
        Caption, HeadingLabel, StatusLabel, FirstLabel, FirstFormat, SecondLabel, SecondFormat,
        CancellingButton, CancelQuestion, CancellingStatus, FailureMessage, TextCount
    };
    static std::vector<std::string> BuiltInTexts();
    static constexpr int kBarRange = 1000;
    static constexpr const char* kCancelText = "Cancel";

    ExportProgressModel(std::vector<std::string> texts, engine::EngineClient& engine, engine::ExportReceiver receiver);

    const std::string& TextOf(Text which) const { return m_texts[which]; }
    engine::ExportReceiver Receiver() const { return m_receiver; }

    // Resets both bars and hands the job to the engine.
    void Open(engine::ExportJob job);
    // One message from the engine; anything not addressed to this dialog,
    // or arriving after it closed, is ignored.
    void Deliver(const platform::Message& message, platform::Dialogs& dialogs, const MessageTexts& messages);
    // The cancel button (and closing the window): asks, and on Yes asks the
    // engine to cancel. The dialog stays open until the engine answers.
    void Cancel(platform::Dialogs& dialogs, const MessageTexts& messages);

    int FirstValue() const { return m_first; }
    int SecondValue() const { return m_second; }
    const std::string& FirstText() const { return m_firstText; }
    const std::string& SecondText() const { return m_secondText; }
    const std::string& StatusText() const { return m_statusText; }
    const std::string& CancelButtonText() const { return m_cancelText; }
    bool CancelEnabled() const { return m_cancelEnabled; }
    bool Closed() const { return m_closed; }
    ExportOutcome Outcome() const { return m_outcome; }

private:
    std::string ProgressText(Text format, int value) const;

    std::vector<std::string> m_texts;
    engine::EngineClient& m_engine;
    engine::ExportReceiver m_receiver;
    int m_first = 0;
    int m_second = 0;
    std::string m_firstText;
    std::string m_secondText;
    std::string m_statusText;
    std::string m_cancelText = kCancelText;
    bool m_cancelEnabled = true;
    bool m_closed = false;
    ExportOutcome m_outcome = ExportOutcome::Cancelled;
};

} // namespace bm::dialogs
