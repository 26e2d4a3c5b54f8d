#pragma once

// The export progress dialog's window. Controls: "status", "firstBar",
// "firstText", "secondBar", "secondText", "cancel", "help". Closing the
// window asks as the cancel button does.

#include "ui/dialogs/ExportProgressModel.h"
#include "ui/dialogs/qt/DialogView.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace bm::dialogs {

class ExportProgressView : public DialogView {
public:
    ExportProgressView(ExportProgressModel& model, const QtDialogEnvironment& environment);
    void Deliver(const platform::Message& message);
    void Refresh();

protected:
    void reject() override;

private:
    ExportProgressModel& m_model;
    QtDialogEnvironment m_environment;
    QLabel* m_status;
    QProgressBar* m_firstBar;
    QLabel* m_firstText;
    QProgressBar* m_secondBar;
    QLabel* m_secondText;
    QPushButton* m_cancel;
};

class QtExportProgressDialog : public ExportProgressDialog {
public:
    explicit QtExportProgressDialog(const QtDialogEnvironment& environment) : m_environment(environment) {}
    ExportOutcome Run(engine::ExportJob job) override;
    void Deliver(const platform::Message& message) override;

private:
    QtDialogEnvironment m_environment;
    ExportProgressView* m_open = nullptr;
};

} // namespace bm::dialogs
