#include "ui/dialogs/ReplaceQuestion.h"

namespace bm::dialogs {

ReplaceRequest MakeReplaceRequest(const PackageSample& sample, const std::string& localFile)
{
    return {sample.texts.first, sample.texts.second, localFile.empty() ? sample.texts.path : localFile};
}

std::vector<std::string> ReplaceTexts::BuiltInTexts()
{
    return {"Replace Sample",
            "The library already holds this sample.\\nDo you want to replace its file with the one in the package?",
            "Name:",
            "Description:",
            "File:",
            "Replace",
            "Keep",
            "Do the same for every further sample of this package"};
}

} // namespace bm::dialogs
