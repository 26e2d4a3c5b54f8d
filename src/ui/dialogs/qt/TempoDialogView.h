#pragma once

// The tempo dialog's window: standard controls showing a TempoDialogModel.
// Controls are named for tests: "tempoSlider", "cellsSlider",
// "factorSlider", "tempo", "cells", "length", "factor", "leaveData",
// "setDefault", "ok", "cancel", "help".

#include "ui/dialogs/TempoDialogModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace bm::dialogs {

class TempoDialogView : public DialogView {
public:
    TempoDialogView(TempoDialogModel& model, const QtDialogEnvironment& environment);
    void Refresh();

private:
    TempoDialogModel& m_model;
    QSlider* m_tempoSlider;
    QSlider* m_cellsSlider;
    QSlider* m_factorSlider;
    QLineEdit* m_tempo;
    QLineEdit* m_cells;
    QLineEdit* m_length;
    QLabel* m_factor;
    QCheckBox* m_leaveData;
    QCheckBox* m_setDefault;
    QPushButton* m_ok;
};

class QtTempoDialog : public TempoDialog {
public:
    explicit QtTempoDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    std::optional<TempoResult> Run(const TempoRequest& request) override;

private:
    QtDialogEnvironment m_environment;
};

} // namespace bm::dialogs
