#pragma once

// The shift notes dialog's window. Controls: "shift", "second", "third",
// each with arrows ("shiftUp", "shiftDown", ...), "ok", "cancel", "help".

#include "ui/dialogs/ShiftNotesDialogModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

#include <array>

class QLineEdit;
class QPushButton;

namespace bm::dialogs {

class ShiftNotesDialogView : public DialogView {
public:
    ShiftNotesDialogView(ShiftNotesDialogModel& model, const QtDialogEnvironment& environment);
    void Refresh();

private:
    ShiftNotesDialogModel& m_model;
    std::array<QLineEdit*, 3> m_fields{};
    QPushButton* m_ok;
};

class QtShiftNotesDialog : public ShiftNotesDialog {
public:
    explicit QtShiftNotesDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    std::optional<ShiftNotesValues> Run(const ShiftNotesValues& values) override;

private:
    QtDialogEnvironment m_environment;
};

} // namespace bm::dialogs
