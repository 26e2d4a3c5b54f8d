#include "ui/dialogs/qt/ExportDialogView.h"

#include "ui/skin/TextList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace bm::dialogs {

ExportDialogView::ExportDialogView(ExportDialogModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, ExportDialogModel::kHelpPage),
      m_model(model),
      m_environment(environment)
{
    using M = ExportDialogModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    auto* grid = new QGridLayout;
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName("fileName");
    m_fileName->setMinimumWidth(320);
    auto* browse = new QPushButton("...", this);
    browse->setObjectName("browse");
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::FileLabel)), this), 0, 0);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_fileName);
    fileRow->addWidget(browse);
    grid->addLayout(fileRow, 0, 1);
    auto* format = new QComboBox(this);
    format->setObjectName("format");
    format->addItem(M::kFormatName);
    auto* attributes = new QComboBox(this);
    attributes->setObjectName("attributes");
    attributes->addItem(M::kAttributesName);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::FormatLabel)), this), 1, 0);
    grid->addWidget(format, 1, 1);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::AttributesLabel)), this), 2, 0);
    grid->addWidget(attributes, 2, 1);

    m_fadeIn = new QCheckBox(Q(model.TextOf(M::FadeInBox)), this);
    m_fadeIn->setObjectName("fadeIn");
    m_fadeOut = new QCheckBox(Q(model.TextOf(M::FadeOutBox)), this);
    m_fadeOut->setObjectName("fadeOut");
    auto* fades = new QHBoxLayout;
    fades->addWidget(m_fadeIn);
    fades->addWidget(m_fadeOut);
    grid->addLayout(fades, 3, 0, 1, 2);

    auto* level = new QGroupBox(this);
    auto* levelGrid = new QGridLayout(level);
    m_normalise = new QCheckBox(Q(model.TextOf(M::NormaliseBox)), level);
    m_normalise->setObjectName("normalise");
    m_slider = new QSlider(Qt::Horizontal, level);
    m_slider->setObjectName("levelSlider");
    m_slider->setRange(0, int(M::kSliderDecibels.size()) - 1);
    m_slider->setPageStep(1);
    m_slider->setTickPosition(QSlider::TicksBelow);
    m_decibels = new QLineEdit(level);
    m_decibels->setObjectName("decibels");
    m_decibels->setMaximumWidth(90);
    m_percentage = new QLineEdit(level);
    m_percentage->setObjectName("percentage");
    m_percentage->setMaximumWidth(90);
    levelGrid->addWidget(m_normalise, 0, 0, 1, 3);
    levelGrid->addWidget(m_slider, 1, 0);
    levelGrid->addWidget(m_decibels, 1, 1);
    levelGrid->addWidget(m_percentage, 1, 2);
    auto* note = new QLabel(LabelText(ExpandLineBreaks(model.TextOf(M::LevelNote))), level);
    levelGrid->addWidget(note, 2, 0, 1, 3);
    grid->addWidget(level, 4, 0, 1, 2);

    m_regionsOnly = new QCheckBox(Q(model.TextOf(M::RegionsBox)), this);
    m_regionsOnly->setObjectName("regionsOnly");
    grid->addWidget(m_regionsOnly, 5, 0, 1, 2);
    m_freeSpace = new QLabel(this);
    m_freeSpace->setObjectName("freeSpace");
    m_freeSpace->setMinimumHeight(m_freeSpace->fontMetrics().lineSpacing() * 2 + 4);
    grid->addWidget(m_freeSpace, 6, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(Q(model.TextOf(M::OkButton)), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    buttons->addButton(Q(model.TextOf(M::CancelButton)), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    buttons->addButton(Q(model.TextOf(M::HelpButton)), QDialogButtonBox::HelpRole)->setObjectName("help");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_fileName, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditFileName(S(t)); Refresh(); });
    connect(browse, &QPushButton::clicked, this, [this] {
        if (m_environment.dialogs)
            m_model.Browse(*m_environment.dialogs, m_environment.messages);
        Refresh();
    });
    connect(m_fadeIn, &QCheckBox::toggled, this, [this](bool on) { m_model.SetFadeIn(on); Refresh(); });
    connect(m_fadeOut, &QCheckBox::toggled, this, [this](bool on) { m_model.SetFadeOut(on); Refresh(); });
    connect(m_normalise, &QCheckBox::toggled, this, [this](bool on) { m_model.SetNormalise(on); Refresh(); });
    connect(m_slider, &QSlider::valueChanged, this, [this](int v) { m_model.MoveLevelSlider(v); Refresh(); });
    connect(m_decibels, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditDecibels(S(t)); Refresh(); });
    connect(m_percentage, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_model.EditPercentage(S(t)); Refresh(); });
    connect(m_regionsOnly, &QCheckBox::toggled, this, [this](bool on) { m_model.SetRegionsOnly(on); Refresh(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_model.OkEnabled())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);
    Refresh();
}

void ExportDialogView::Refresh()
{
    ShowText(m_fileName, m_model.FileName());
    ShowCheck(m_fadeIn, m_model.FadeIn());
    ShowCheck(m_fadeOut, m_model.FadeOut());
    ShowCheck(m_normalise, m_model.Normalise());
    {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(m_model.LevelSlider());
    }
    const bool level = m_model.LevelControlsEnabled();
    m_slider->setEnabled(level);
    m_decibels->setEnabled(level);
    m_percentage->setEnabled(level);
    ShowText(m_decibels, m_model.DecibelText());
    ShowText(m_percentage, m_model.PercentageText());
    ShowCheck(m_regionsOnly, m_model.RegionsOnly());
    m_regionsOnly->setEnabled(m_model.RegionsEnabled());
    m_freeSpace->setText(LabelText(m_model.FreeSpaceText()));
    m_ok->setEnabled(m_model.OkEnabled());
}

std::optional<ExportChoice> QtExportDialog::Run(const ExportRequest& request)
{
    platform::SystemVolumeQuery system;
    platform::VolumeQuery& volumes = m_environment.volumes ? *m_environment.volumes : system;
    ExportDialogModel model(request,
                            LoadDialogTexts(m_environment.archive, ExportDialogModel::kTextList,
                                            ExportDialogModel::BuiltInTexts()),
                            volumes);
    ExportDialogView view(model, m_environment);
    if (view.exec() != QDialog::Accepted)
        return std::nullopt;
    return model.Result();
}

} // namespace bm::dialogs
