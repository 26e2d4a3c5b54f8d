#include "ui/dialogs/qt/ReplaceQuestionView.h"

#include "ui/dialogs/qt/DialogView.h"
#include "ui/skin/TextList.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace bm::dialogs {

ReplaceQuestionView::ReplaceQuestionView(const ReplaceRequest& request, const std::vector<std::string>& texts,
                                         QWidget* parent)
    : QDialog(parent)
{
    using T = ReplaceTexts;
    setWindowTitle(Q(texts[T::Caption]));
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    auto* question = new QLabel(LabelText(ExpandLineBreaks(texts[T::Question])), this);
    question->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(question, 1);
    auto* grid = new QGridLayout;
    const std::pair<T::Text, const std::string*> rows[] = {
        {T::FirstLabel, &request.firstText}, {T::SecondLabel, &request.secondText}, {T::PathLabel, &request.path}};
    const char* names[] = {"firstText", "secondText", "path"};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(new QLabel(LabelText(texts[rows[i].first]), this), i, 0);
        auto* value = new QLabel(Q(*rows[i].second), this);
        value->setObjectName(names[i]);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(value, i, 1);
    }
    m_forAll = new QCheckBox(Q(texts[T::ForAllBox]), this);
    m_forAll->setObjectName("forAll");
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* replace = buttons->addButton(Q(texts[T::ReplaceButton]), QDialogButtonBox::AcceptRole);
    replace->setObjectName("replace");
    QPushButton* keep = buttons->addButton(Q(texts[T::KeepButton]), QDialogButtonBox::RejectRole);
    keep->setObjectName("keep");
    keep->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(grid);
    layout->addWidget(m_forAll);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_replace = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

ReplaceChoice ReplaceQuestionView::Choice() const
{
    return {m_replace ? ReplaceAnswer::Replace : ReplaceAnswer::Keep, m_forAll->isChecked()};
}

ReplaceChoice QtReplaceQuestion::Ask(const ReplaceRequest& request)
{
    std::vector<std::string> texts =
        LoadDialogTexts(m_environment.archive, ReplaceTexts::kTextList, ReplaceTexts::BuiltInTexts());
    texts.resize(ReplaceTexts::TextCount);
    ReplaceQuestionView view(request, texts, m_environment.parent);
    view.exec();
    return view.Choice();
}

} // namespace bm::dialogs
