#pragma once

// The insert/remove measure dialog's window. Controls: "count" with the
// arrows "countUp" and "countDown", "unit", "position", "summary", "ok",
// "cancel", "help".

#include "ui/dialogs/MeasureDialogModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace bm::dialogs {

class MeasureDialogView : public DialogView {
public:
    MeasureDialogView(MeasureDialogModel& model, const QtDialogEnvironment& environment);
    void Refresh();

private:
    MeasureDialogModel& m_model;
    QLineEdit* m_count;
    QComboBox* m_unit;
    QComboBox* m_position;
    QLabel* m_summary;
    QPushButton* m_ok;
};

class QtMeasureDialog : public MeasureDialog {
public:
    explicit QtMeasureDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    std::optional<MeasureResult> Run(const MeasureRequest& request) override;

private:
    QtDialogEnvironment m_environment;
};

// Two small arrow buttons stacked beside a field, as a spin control's.
QWidget* MakeSpinArrows(QWidget* parent, const QString& name, std::function<void(int)> step);

} // namespace bm::dialogs
