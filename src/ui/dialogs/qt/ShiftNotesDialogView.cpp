#include "ui/dialogs/qt/ShiftNotesDialogView.h"

#include "ui/dialogs/qt/MeasureDialogView.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bm::dialogs {

ShiftNotesDialogView::ShiftNotesDialogView(ShiftNotesDialogModel& model, const QtDialogEnvironment& environment)
    : DialogView(environment.parent, environment.shell, environment.programFolder, ShiftNotesDialogModel::kHelpPage),
      m_model(model)
{
    using M = ShiftNotesDialogModel;
    setWindowTitle(Q(model.TextOf(M::Caption)));
    auto* grid = new QGridLayout;
    const char* names[] = {"shift", "second", "third"};
    const M::Text labels[] = {M::ShiftLabel, M::SecondLabel, M::ThirdLabel};
    for (int i = 0; i < 3; ++i) {
        const auto field = static_cast<M::Field>(i);
        m_fields[size_t(i)] = new QLineEdit(this);
        m_fields[size_t(i)]->setObjectName(names[i]);
        m_fields[size_t(i)]->setMaximumWidth(80);
        grid->addWidget(new QLabel(LabelText(model.TextOf(labels[i])), this), i, 0);
        grid->addWidget(m_fields[size_t(i)], i, 1);
        grid->addWidget(MakeSpinArrows(this, names[i], [this, field](int d) {
                            m_model.Spin(field, d);
                            Refresh();
                        }),
                        i, 2);
        connect(m_fields[size_t(i)], &QLineEdit::textEdited, this, [this, field](const QString& t) {
            m_model.Edit(field, S(t));
            Refresh();
        });
    }
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(Q(model.TextOf(M::OkButton)), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    buttons->addButton(Q(model.TextOf(M::CancelButton)), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    buttons->addButton(Q(model.TextOf(M::HelpButton)), QDialogButtonBox::HelpRole)->setObjectName("help");
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_model.OkEnabled())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, &DialogView::OpenHelp);
    Refresh();
}

void ShiftNotesDialogView::Refresh()
{
    for (int i = 0; i < 3; ++i)
        ShowText(m_fields[size_t(i)], m_model.FieldText(static_cast<ShiftNotesDialogModel::Field>(i)));
    m_ok->setEnabled(m_model.OkEnabled());
}

std::optional<ShiftNotesValues> QtShiftNotesDialog::Run(const ShiftNotesValues& values)
{
    ShiftNotesDialogModel model(values, LoadDialogTexts(m_environment.archive, ShiftNotesDialogModel::kTextList,
                                                        ShiftNotesDialogModel::BuiltInTexts()));
    ShiftNotesDialogView view(model, m_environment);
    if (view.exec() != QDialog::Accepted)
        return std::nullopt;
    return model.Result();
}

} // namespace bm::dialogs
