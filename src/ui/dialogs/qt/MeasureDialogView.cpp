#include "ui/dialogs/qt/MeasureDialogView.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace bm::dialogs {

QWidget* MakeSpinArrows(QWidget* parent, const QString& name, std::function<void(int)> step)
{
    auto* box = new QWidget(parent);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (const int direction : {+1, -1}) {
        auto* arrow = new QToolButton(box);
        arrow->setObjectName(name + (direction > 0 ? "Up" : "Down"));
        arrow->setArrowType(direction > 0 ? Qt::UpArrow : Qt::DownArrow);
        arrow->setAutoRepeat(true);
        arrow->setFixedSize(18, 12);
        QObject::connect(arrow, &QToolButton::clicked, box, [step, direction] { step(direction); });
        column->addWidget(arrow);
    }
    return box;
}

MeasureDialogView::MeasureDialogView(MeasureDialogModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, MeasureDialogModel::kHelpPage),
      m_model(model)
{
    using M = MeasureDialogModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    auto* grid = new QGridLayout;
    m_count = new QLineEdit(this);
    m_count->setObjectName("count");
    m_unit = new QComboBox(this);
    m_unit->setObjectName("unit");
    for (const std::string& name : model.UnitNames())
        m_unit->addItem(Q(name));
    m_position = new QComboBox(this);
    m_position->setObjectName("position");
    for (const std::string& name : model.PositionNames())
        m_position->addItem(Q(name));
    m_summary = new QLabel(this);
    m_summary->setObjectName("summary");
    m_summary->setMinimumHeight(m_summary->fontMetrics().lineSpacing() * 2 + 4);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::CountLabel)), this), 0, 0);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(m_count);
    countRow->addWidget(MakeSpinArrows(this, "count", [this](int d) {
        d > 0 ? m_model.SpinUp() : m_model.SpinDown();
        Refresh();
    }));
    countRow->addWidget(m_unit);
    grid->addLayout(countRow, 0, 1);
    grid->addWidget(new QLabel(LabelText(model.TextOf(M::PositionLabel)), this), 1, 0);
    grid->addWidget(m_position, 1, 1);
    grid->addWidget(m_summary, 2, 0, 1, 2);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(Q(model.TextOf(M::OkButton)), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    buttons->addButton(Q(model.TextOf(M::CancelButton)), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    buttons->addButton(Q(model.TextOf(M::HelpButton)), QDialogButtonBox::HelpRole)->setObjectName("help");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_count, &QLineEdit::textEdited, this, [this](const QString& t) { m_model.EditCount(S(t)); Refresh(); });
    connect(m_unit, &QComboBox::currentIndexChanged, this, [this](int i) { m_model.SelectUnit(i); Refresh(); });
    connect(m_position, &QComboBox::currentIndexChanged, this, [this](int i) { m_model.SelectPosition(i); Refresh(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_model.OkEnabled())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);
    Refresh();
}

void MeasureDialogView::Refresh()
{
    ShowText(m_count, m_model.CountText());
    {
        const QSignalBlocker a(m_unit);
        m_unit->setCurrentIndex(m_model.UnitIndex());
        const QSignalBlocker b(m_position);
        m_position->setCurrentIndex(m_model.PositionIndex());
    }
    m_position->setEnabled(m_model.PositionEnabled());
    m_summary->setText(LabelText(m_model.SummaryText()));
    m_ok->setEnabled(m_model.OkEnabled());
}

std::optional<MeasureResult> QtMeasureDialog::Run(const MeasureRequest& request)
{
    MeasureDialogModel model(request, LoadDialogTexts(m_environment.archive, MeasureDialogModel::TextList(request.mode),
                                                      MeasureDialogModel::BuiltInTexts(request.mode)));
    MeasureDialogView view(model, m_environment);
    if (view.exec() != QDialog::Accepted)
        return std::nullopt;
    return model.Result();
}

} // namespace bm::dialogs
