#include "ui/dialogs/qt/TempoDialogView.h"

#include "ui/dialogs/TempoSteps.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace bm::dialogs {

namespace {

QSlider* MakeSlider(QWidget* parent, const char* name, int maximum)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(0, maximum);
    slider->setPageStep(1);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setMinimumWidth(200);
    return slider;
}

QLineEdit* MakeField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaximumWidth(90);
    return field;
}

} // namespace

TempoDialogView::TempoDialogView(TempoDialogModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, TempoDialogModel::kHelpPage),
      m_model(model)
{
    using M = TempoDialogModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    auto* grid = new QGridLayout;
    m_tempoSlider = MakeSlider(this, "tempoSlider", int(kTempoSteps.size()) - 1);
    m_cellsSlider = MakeSlider(this, "cellsSlider", int(M::kCellsPerBeat.size()) - 1);
    m_factorSlider = MakeSlider(this, "factorSlider", int(M::kFactorNames.size()) - 1);
    m_tempo = MakeField(this, "tempo");
    m_cells = MakeField(this, "cells");
    m_length = MakeField(this, "length");
    m_factor = new QLabel(this);
    m_factor->setObjectName("factor");
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::TempoLabel)), this), 0, 0);
    grid->addWidget(m_tempoSlider, 0, 1);
    grid->addWidget(m_tempo, 0, 2);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::CellsLabel)), this), 1, 0);
    grid->addWidget(m_cellsSlider, 1, 1);
    grid->addWidget(m_cells, 1, 2);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::LengthLabel)), this), 2, 0);
    grid->addWidget(m_length, 2, 2);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::FactorLabel)), this), 3, 0);
    grid->addWidget(m_factorSlider, 3, 1);
    grid->addWidget(m_factor, 3, 2);
    m_leaveData = new QCheckBox(M::kLeaveDataText, this);
    m_leaveData->setObjectName("leaveData");
    m_setDefault = new QCheckBox(M::kSetDefaultText, this);
    m_setDefault->setObjectName("setDefault");
    grid->addWidget(m_leaveData, 4, 0, 1, 3);
    grid->addWidget(m_setDefault, 5, 0, 1, 3);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(Q(model.TextOf(M::OkButton)), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(Q(model.TextOf(M::CancelButton)), QDialogButtonBox::RejectRole);
    cancel->setObjectName("cancel");
    QPushButton* help = buttons->addButton(Q(model.TextOf(M::HelpButton)), QDialogButtonBox::HelpRole);
    help->setObjectName("help");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_tempoSlider, &QSlider::valueChanged, this, [this](int v) { m_model.MoveTempoSlider(v); Refresh(); });
    connect(m_cellsSlider, &QSlider::valueChanged, this, [this](int v) { m_model.MoveCellsSlider(v); Refresh(); });
    connect(m_factorSlider, &QSlider::valueChanged, this, [this](int v) { m_model.MoveFactorSlider(v); Refresh(); });
    connect(m_tempo, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditTempo(S(t)); Refresh(); });
    connect(m_cells, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditCells(S(t)); Refresh(); });
    connect(m_length, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditLength(S(t)); Refresh(); });
    connect(m_leaveData, &QCheckBox::toggled, this, [this](bool on) { m_model.SetLeaveData(on); Refresh(); });
    connect(m_setDefault, &QCheckBox::toggled, this, [this](bool on) { m_model.SetSetDefault(on); Refresh(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_model.OkEnabled())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);
    Refresh();
}

void TempoDialogView::Refresh()
{
    auto setSlider = [](QSlider* slider, int value, bool enabled) {
        const QSignalBlocker block(slider);
        slider->setValue(value);
        slider->setEnabled(enabled);
    };
    setSlider(m_tempoSlider, m_model.TempoSlider(), true);
    setSlider(m_cellsSlider, m_model.CellsSlider(), true);
    setSlider(m_factorSlider, m_model.FactorSlider(), m_model.FactorEnabled());
    ShowText(m_tempo, m_model.TempoText());
    ShowText(m_cells, m_model.CellsText());
    ShowText(m_length, m_model.LengthText());
    m_factor->setText(Q(m_model.FactorText()));
    ShowCheck(m_leaveData, m_model.LeaveData());
    m_leaveData->setEnabled(m_model.LeaveDataEnabled());
    ShowCheck(m_setDefault, m_model.SetDefault());
    m_ok->setEnabled(m_model.OkEnabled());
}

std::optional<TempoResult> QtTempoDialog::Run(const TempoRequest& request)
{
    TempoDialogModel model(request, LoadDialogTexts(m_environment.archive, TempoDialogModel::kTextList,
                                                    TempoDialogModel::BuiltInTexts()));
    TempoDialogView view(model, m_environment);
    if (view.exec() != QDialog::Accepted)
        return std::nullopt;
    return model.Result();
}

} // namespace bm::dialogs
