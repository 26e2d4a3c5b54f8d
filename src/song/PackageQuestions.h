#pragma once

// What the package reader asks a person while it adds a package's samples to
// the library. The main window answers with its dialogs and message boxes;
// the command-line tool answers from its flags.

#include "library/SampleLibrary.h"
#include "song/PackageIndex.h"

#include <string>

namespace bm {

enum class ReplaceAnswer { Replace, Keep };

struct ReplaceChoice {
    ReplaceAnswer answer = ReplaceAnswer::Keep;
    // Set: this answer holds for every later sample of the same package.
    bool forAll = false;
};

// The outcome of the sample file dialog (command 1240) for a new sample.
struct NewSampleOutcome {
    bool accepted = true;
    // With `accepted` clear: set when the person skipped only this sample
    // (the next one follows); clear when they stopped adding samples.
    bool skipped = false;
};

class PackageQuestions {
public:
    virtual ~PackageQuestions() = default;

    // The library already holds the sample (every text matched): replace
    // the local file `localFile` with the packed one, or keep it.
    virtual ReplaceChoice AskReplace(const PackageSample& sample, const std::string& localFile) = 0;

    // The sample cannot be added: a sample of the target chord already uses
    // a file named `fileName` (or a different file of that name lies where
    // it would go). The new sample is dropped.
    virtual void SameFileError(const PackageSample& sample, const std::string& fileName) = 0;

    // A sample of the target chord already has the same first and second
    // texts; the new one is added all the same.
    virtual void SameNameNotice(const PackageSample& sample, const SampleDescriptor& existing) = 0;

    // Command 1240, the sample file dialog, for the new sample that stands at
    // `place`; the dialog may change the descriptor's texts and numbers.
    virtual NewSampleOutcome ConfirmNewSample(const SampleRef& place, SampleDescriptor& descriptor) = 0;
};

} // namespace bm
