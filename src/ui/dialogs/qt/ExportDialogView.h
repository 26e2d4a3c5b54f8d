#pragma once

// The export dialog's window. Controls: "fileName", "browse", "format",
// "attributes", "fadeIn", "fadeOut", "normalise", "levelSlider",
// "decibels", "percentage", "regionsOnly", "freeSpace", "ok", "cancel",
// "help".

#include "ui/dialogs/ExportDialogModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace bm::dialogs {

class ExportDialogView : public DialogView {
public:
    ExportDialogView(ExportDialogModel& model, const QtDialogEnvironment& environment);
    void Refresh();

private:
    ExportDialogModel& m_model;
    QtDialogEnvironment m_environment;
    QLineEdit* m_fileName;
    QCheckBox* m_fadeIn;
    QCheckBox* m_fadeOut;
    QCheckBox* m_normalise;
    QSlider* m_slider;
    QLineEdit* m_decibels;
    QLineEdit* m_percentage;
    QCheckBox* m_regionsOnly;
    QLabel* m_freeSpace;
    QPushButton* m_ok;
};

class QtExportDialog : public ExportDialog {
public:
    explicit QtExportDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    std::optional<ExportChoice> Run(const ExportRequest& request) override;

private:
    QtDialogEnvironment m_environment;
};

} // namespace bm::dialogs
