#include "ui/dialogs/qt/SampleDialogView.h"

#include "ui/dialogs/TempoSteps.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace bm::dialogs {

SampleDialogView::SampleDialogView(SampleDialogModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, model.HelpPage()),
      m_model(model),
      m_environment(environment)
{
    using M = SampleDialogModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    auto* grid = new QGridLayout;
    const char* names[] = {"path", "name", "key", "fourth"};
    const M::Text labels[] = {M::PathLabel, M::NameLabel, M::KeyLabel, M::FourthLabel};
    for (int i = 0; i < 4; ++i) {
        const auto field = static_cast<M::Field>(i);
        m_fields[size_t(i)] = new QLineEdit(this);
        m_fields[size_t(i)]->setObjectName(names[i]);
        m_fields[size_t(i)]->setReadOnly(!model.TextsEditable());
        grid->addWidget(new QLabel(LabelText(model.TextOf(labels[i])), this), i, 0);
        grid->addWidget(m_fields[size_t(i)], i, 1);
        connect(m_fields[size_t(i)], &QLineEdit::textEdited, this, [this, field](const QString& t) {
            m_model.Edit(field, S(t));
            Refresh();
        });
    }
    m_fields[0]->setMinimumWidth(320);
    m_browse = new QPushButton("...", this);
    m_browse->setObjectName("browse");
    grid->addWidget(m_browse, 0, 2);

    m_kind = new QComboBox(this);
    m_kind->setObjectName("kind");
    for (const std::string& name : model.KindNames())
        m_kind->addItem(Q(name));
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::KindLabel)), this), 4, 0);
    grid->addWidget(m_kind, 4, 1);
    m_tempoSlider = new QSlider(Qt::Horizontal, this);
    m_tempoSlider->setObjectName("tempoSlider");
    m_tempoSlider->setRange(0, int(kTempoSteps.size()) - 1);
    m_tempoSlider->setPageStep(1);
    m_tempo = new QLineEdit(this);
    m_tempo->setObjectName("tempo");
    m_tempo->setMaximumWidth(80);
    auto* tempoRow = new QHBoxLayout;
    tempoRow->addWidget(m_tempoSlider);
    tempoRow->addWidget(m_tempo);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::TempoLabel)), this), 5, 0);
    grid->addLayout(tempoRow, 5, 1);
    m_length = new QLineEdit(this);
    m_length->setObjectName("length");
    m_length->setMaximumWidth(120);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::LengthLabel)), this), 6, 0);
    grid->addWidget(m_length, 6, 1);
    auto* pitchLabel = new QLabel(LabelText(model.TextOf(M::ExtraText)), this);
    pitchLabel->setObjectName("pitchLabel");
    m_pitch = new QLineEdit(this);
    m_pitch->setObjectName("pitch");
    m_pitch->setMaximumWidth(80);
    grid->addWidget(pitchLabel, 7, 0);
    grid->addWidget(m_pitch, 7, 1);
    pitchLabel->setVisible(model.PitchShown());
    m_pitch->setVisible(model.PitchShown());

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(Q(model.TextOf(M::OkButton)), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    buttons->addButton(Q(model.CancelText()), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    buttons->addButton("Help", QDialogButtonBox::HelpRole)->setObjectName("help");
    QPushButton* skip = buttons->addButton(Q(model.TextOf(M::SkipButton)), QDialogButtonBox::ActionRole);
    skip->setObjectName("skip");
    skip->setVisible(model.SkipShown());
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_browse, &QPushButton::clicked, this, [this] {
        if (m_environment.dialogs)
            m_model.Browse(*m_environment.dialogs, m_environment.messages);
        Refresh();
    });
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int i) { m_model.SelectKind(i); Refresh(); });
    connect(m_tempoSlider, &QSlider::valueChanged, this, [this](int v) { m_model.MoveTempoSlider(v); Refresh(); });
    connect(m_tempo, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditTempo(S(t)); Refresh(); });
    connect(m_length, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditLength(S(t)); Refresh(); });
    connect(m_pitch, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditPitch(S(t)); Refresh(); });
    connect(skip, &QPushButton::clicked, this, [this] {
        if (m_model.Skip()) {
            m_outcome = SampleOutcome::Skipped;
            done(QDialog::Rejected);
            return;
        }
        Refresh();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        platform::Dialogs* dialogs = m_environment.dialogs;
        if (dialogs && m_model.Accept(*dialogs, m_environment.messages)) {
            m_outcome = SampleOutcome::Ok;
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);
    ShowText(m_pitch, model.PitchText());
    Refresh();
}

void SampleDialogView::Refresh()
{
    for (int i = 0; i < 4; ++i)
        ShowText(m_fields[size_t(i)], m_model.FieldText(static_cast<SampleDialogModel::Field>(i)));
    m_browse->setEnabled(m_model.BrowseEnabled());
    {
        const QSignalBlocker block(m_kind);
        m_kind->setCurrentIndex(m_model.KindIndex());
    }
    m_kind->setEnabled(m_model.KindEnabled());
    const bool tempo = m_model.TempoControlsEnabled();
    {
        const QSignalBlocker block(m_tempoSlider);
        m_tempoSlider->setValue(m_model.TempoSlider());
    }
    m_tempoSlider->setEnabled(tempo);
    m_tempo->setEnabled(tempo);
    m_length->setEnabled(tempo);
    ShowText(m_tempo, m_model.TempoText());
    ShowText(m_length, m_model.LengthText());
    m_ok->setEnabled(m_model.OkEnabled());
}

SampleResult QtSampleDialog::Run(const SampleRequest& request)
{
    SampleDialogModel model(request, LoadDialogTexts(m_environment.archive, SampleDialogModel::TextList(request.mode),
                                                     SampleDialogModel::BuiltInTexts(request.mode)));
    SampleDialogView view(model, m_environment);
    view.exec();
    return model.Result(view.Outcome());
}

} // namespace bm::dialogs
