#include "ui/dialogs/qt/ExportProgressView.h"

#include "ui/skin/TextList.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <atomic>

namespace bm::dialogs {

namespace {

// Every run gets a receiver of its own, so that a late report of an
// earlier export never reaches a later dialog.
engine::ExportReceiver NextReceiver()
{
    static std::atomic<engine::ExportReceiver> next{0x4000};
    return ++next;
}

QProgressBar* MakeBar(QWidget* parent, const char* name)
{
    auto* bar = new QProgressBar(parent);
    bar->setObjectName(name);
    bar->setRange(0, ExportProgressModel::kBarRange);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setMinimumWidth(300);
    return bar;
}

} // namespace

ExportProgressView::ExportProgressView(ExportProgressModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, ExportProgressModel::kHelpPage),
      m_model(model),
      m_environment(environment)
{
    using M = ExportProgressModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::HeadingLabel)), this), 0, 0, 1, 2);
    m_status = new QLabel(this);
    m_status->setObjectName("status");
    grid->addWidget(m_status, 1, 0, 1, 2);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::FirstLabel)), this), 2, 0, 1, 2);
    m_firstBar = MakeBar(this, "firstBar");
    m_firstText = new QLabel(this);
    m_firstText->setObjectName("firstText");
    grid->addWidget(m_firstBar, 3, 0);
    grid->addWidget(m_firstText, 3, 1);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::SecondLabel)), this), 4, 0, 1, 2);
    m_secondBar = MakeBar(this, "secondBar");
    m_secondText = new QLabel(this);
    m_secondText->setObjectName("secondText");
    grid->addWidget(m_secondBar, 5, 0);
    grid->addWidget(m_secondText, 5, 1);
    auto* buttons = new QDialogButtonBox(this);
    m_cancel = buttons->addButton(M::kCancelText, QDialogButtonBox::RejectRole);
    m_cancel->setObjectName("cancel");
    buttons->addButton("Help", QDialogButtonBox::HelpRole)->setObjectName("help");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &ExportProgressView::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);
    Refresh();
}

void ExportProgressView::reject()
{
    // Esc, the window's close box and the cancel button all ask first; the
    // dialog ends only when the engine says so.
    if (m_environment.dialogs)
        m_model.Cancel(*m_environment.dialogs, m_environment.messages);
    Refresh();
}

void ExportProgressView::Deliver(const platform::Message& message)
{
    platform::Dialogs* dialogs = m_environment.dialogs;
    if (!dialogs)
        return;
    m_model.Deliver(message, *dialogs, m_environment.messages);
    Refresh();
}

void ExportProgressView::Refresh()
{
    m_status->setText(LabelText(m_model.StatusText()));
    m_firstBar->setValue(m_model.FirstValue());
    m_firstText->setText(Q(m_model.FirstText()));
    m_secondBar->setValue(m_model.SecondValue());
    m_secondText->setText(Q(m_model.SecondText()));
    m_cancel->setText(Q(m_model.CancelButtonText()));
    m_cancel->setEnabled(m_model.CancelEnabled());
    if (m_model.Closed())
        done(m_model.Outcome() == ExportOutcome::Finished ? QDialog::Accepted : QDialog::Rejected);
}

ExportOutcome QtExportProgressDialog::Run(engine::ExportJob job)
{
    engine::RecordingEngineClient nowhere;
    engine::EngineClient& engine = m_environment.engine ? *m_environment.engine : nowhere;
    ExportProgressModel model(LoadDialogTexts(m_environment.archive, ExportProgressModel::kTextList,
                                              ExportProgressModel::BuiltInTexts()),
                              engine, NextReceiver());
    ExportProgressView view(model, m_environment);
    m_open = &view;
    model.Open(std::move(job));
    if (!model.Closed())
        view.exec();
    m_open = nullptr;
    return model.Outcome();
}

void QtExportProgressDialog::Deliver(const platform::Message& message)
{
    if (m_open)
        m_open->Deliver(message);
}

} // namespace bm::dialogs
