#pragma once

// Stand-ins for every dialog, for tests of the code that opens them: each
// keeps what it was asked and answers from its queue (cancelled when the
// queue is empty).
//
//     ScriptedDialogs scripted;
//     scripted.tempo->answers.push_back(TempoResult{10176, 8, 2, false, true});
//     DialogSet set = scripted.Take();      // hand to the main window
//     ... scripted.tempo->asked[0].samplesPerMeasure ...

#include "ui/dialogs/DialogSet.h"

#include <deque>
#include <vector>

namespace bm::dialogs {

template <typename Request, typename Answer>
struct Script {
    std::vector<Request> asked;
    std::deque<Answer> answers;

    Answer Next(const Request& request, Answer whenEmpty)
    {
        asked.push_back(request);
        if (answers.empty())
            return whenEmpty;
        Answer answer = std::move(answers.front());
        answers.pop_front();
        return answer;
    }
};

class ScriptedTempoDialog : public TempoDialog, public Script<TempoRequest, std::optional<TempoResult>> {
public:
    std::optional<TempoResult> Run(const TempoRequest& r) override { return Next(r, std::nullopt); }
};

class ScriptedMeasureDialog : public MeasureDialog, public Script<MeasureRequest, std::optional<MeasureResult>> {
public:
    std::optional<MeasureResult> Run(const MeasureRequest& r) override { return Next(r, std::nullopt); }
};

class ScriptedShiftNotesDialog : public ShiftNotesDialog,
                                 public Script<ShiftNotesValues, std::optional<ShiftNotesValues>> {
public:
    std::optional<ShiftNotesValues> Run(const ShiftNotesValues& r) override { return Next(r, std::nullopt); }
};

class ScriptedExportDialog : public ExportDialog, public Script<ExportRequest, std::optional<ExportChoice>> {
public:
    std::optional<ExportChoice> Run(const ExportRequest& r) override { return Next(r, std::nullopt); }
};

// Answers with its outcome at once; the job and the messages delivered are
// kept.
class ScriptedExportProgressDialog : public ExportProgressDialog, public Script<engine::ExportJob, ExportOutcome> {
public:
    ExportOutcome Run(engine::ExportJob job) override { return Next(job, ExportOutcome::Cancelled); }
    void Deliver(const platform::Message& message) override { delivered.push_back(message); }
    std::vector<platform::Message> delivered;
};

struct OptionsAsked {
    app::OptionsFile options;
    std::vector<std::string> folders;
};

class ScriptedOptionsDialog : public OptionsDialog, public Script<OptionsAsked, std::optional<OptionsResult>> {
public:
    std::optional<OptionsResult> Run(const app::OptionsFile& o, const std::vector<std::string>& f) override
    {
        return Next({o, f}, std::nullopt);
    }
};

class ScriptedRecordDialog : public RecordDialog, public Script<RecordRequest, std::optional<RecordResult>> {
public:
    std::optional<RecordResult> Run(const RecordRequest& r) override { return Next(r, std::nullopt); }
    void Notify(RecordTrouble trouble) override { notified.push_back(trouble); }
    std::vector<RecordTrouble> notified;
};

class ScriptedSampleDialog : public SampleDialog, public Script<SampleRequest, SampleResult> {
public:
    SampleResult Run(const SampleRequest& r) override { return Next(r, SampleResult{}); }
};

class ScriptedReplaceQuestion : public ReplaceQuestion, public Script<ReplaceRequest, ReplaceChoice> {
public:
    ReplaceChoice Ask(const ReplaceRequest& r) override { return Next(r, ReplaceChoice{}); }
};

// One scripted stand-in of each; Take() moves them into a DialogSet while
// the pointers here stay usable for the test.
struct ScriptedDialogs {
    ScriptedTempoDialog* tempo = nullptr;
    ScriptedMeasureDialog* measures = nullptr;
    ScriptedShiftNotesDialog* shiftNotes = nullptr;
    ScriptedExportDialog* exportFile = nullptr;
    ScriptedExportProgressDialog* exportProgress = nullptr;
    ScriptedOptionsDialog* options = nullptr;
    ScriptedRecordDialog* record = nullptr;
    ScriptedSampleDialog* sample = nullptr;
    ScriptedReplaceQuestion* replace = nullptr;

    ScriptedDialogs()
    {
        auto own = [](auto& pointer, auto& slot) {
            using T = std::remove_pointer_t<std::remove_reference_t<decltype(pointer)>>;
            auto made = std::make_unique<T>();
            pointer = made.get();
            slot = std::move(made);
        };
        own(tempo, m_set.tempo);
        own(measures, m_set.measures);
        own(shiftNotes, m_set.shiftNotes);
        own(exportFile, m_set.exportFile);
        own(exportProgress, m_set.exportProgress);
        own(options, m_set.options);
        own(record, m_set.record);
        own(sample, m_set.sample);
        own(replace, m_set.replace);
    }
    // The set that owns the stand-ins; call once and keep it alive while
    // the pointers are used.
    DialogSet Take() { return std::move(m_set); }

private:
    DialogSet m_set;
};

} // namespace bm::dialogs
