#pragma once

// The replace-or-keep question's window. Controls: "firstText",
// "secondText", "path", "replace", "keep", "forAll".

#include "ui/dialogs/ReplaceQuestion.h"
#include "ui/dialogs/qt/QtDialogEnvironment.h"

#include <QDialog>

class QCheckBox;

namespace bm::dialogs {

class ReplaceQuestionView : public QDialog {
public:
    ReplaceQuestionView(const ReplaceRequest& request, const std::vector<std::string>& texts, QWidget* parent);
    ReplaceChoice Choice() const;

private:
    QCheckBox* m_forAll;
    bool m_replace = false;
};

class QtReplaceQuestion : public ReplaceQuestion {
public:
    explicit QtReplaceQuestion(const QtDialogEnvironment& environment) : m_environment(environment) {}
    ReplaceChoice Ask(const ReplaceRequest& request) override;

private:
    QtDialogEnvironment m_environment;
};

} // namespace bm::dialogs
