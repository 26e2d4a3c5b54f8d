#pragma once

// The package import's question for a sample the library already holds:
// replace the local file with the packed one, or keep it, optionally for
// every later sample of the same package.

#include "song/PackageQuestions.h"

#include <string>
#include <string_view>
#include <vector>

namespace bm::dialogs {

struct ReplaceRequest {
    std::string firstText;
    std::string secondText;
    std::string path; // the local file that would be replaced
};

// What the question shows of a packed sample the library already holds:
// its first and second texts and the local file that would be replaced.
ReplaceRequest MakeReplaceRequest(const PackageSample& sample, const std::string& localFile);

class ReplaceQuestion {
public:
    virtual ~ReplaceQuestion() = default;
    // Closing the window keeps the file.
    virtual ReplaceChoice Ask(const ReplaceRequest& request) = 0;
};

// The question's texts ("replace.res"), in the list's order.
struct ReplaceTexts {
    static constexpr std::string_view kTextList = "replace.res";
    enum Text { Caption, Question, FirstLabel, SecondLabel, PathLabel, ReplaceButton, KeepButton, ForAllBox, TextCount };
    static std::vector<std::string> BuiltInTexts();
};

} // namespace bm::dialogs
