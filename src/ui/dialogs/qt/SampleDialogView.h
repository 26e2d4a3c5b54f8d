#pragma once

// The sample dialog's window. Controls: "path", "browse", "name", "key",
// "fourth", "kind", "tempoSlider", "tempo", "length", "pitchLabel",
// "pitch", "ok", "cancel", "help", "skip".

#include "ui/dialogs/SampleDialogModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace bm::dialogs {

class SampleDialogView : public DialogView {
public:
    SampleDialogView(SampleDialogModel& model, const QtDialogEnvironment& environment);
    void Refresh();
    SampleOutcome Outcome() const { return m_outcome; }

private:
    SampleDialogModel& m_model;
    QtDialogEnvironment m_environment;
    std::array<QLineEdit*, 4> m_fields{};
    QPushButton* m_browse;
    QComboBox* m_kind;
    QSlider* m_tempoSlider;
    QLineEdit* m_tempo;
    QLineEdit* m_length;
    QLineEdit* m_pitch;
    QPushButton* m_ok;
    SampleOutcome m_outcome = SampleOutcome::Cancelled;
};

class QtSampleDialog : public SampleDialog {
public:
    explicit QtSampleDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    SampleResult Run(const SampleRequest& request) override;

private:
    QtDialogEnvironment m_environment;
};

} // namespace bm::dialogs
