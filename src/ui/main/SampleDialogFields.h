#pragma once

// A library entry's fields as the sample properties dialog shows them, and
// what the person chose put back into the entry.

#include "library/SampleLibrary.h"
#include "ui/dialogs/SampleDialog.h"

namespace bm::ui {

inline dialogs::SampleRequest SampleRequestFor(dialogs::SampleDialogMode mode, const SampleDescriptor& d)
{
    dialogs::SampleRequest r;
    r.mode = mode;
    r.path = d.path;
    r.name = d.firstText;
    r.key = d.secondText;
    r.fourth = d.fourthText;
    r.kindIndex = d.kind;
    r.length = d.length;
    return r;
}

// Everything but the file's path.
inline void ApplySampleTexts(const dialogs::SampleResult& r, SampleDescriptor& d)
{
    d.firstText = r.name;
    d.secondText = r.key;
    d.fourthText = r.fourth;
    d.kind = r.kindIndex;
    d.length = r.length;
}

inline void ApplySampleResult(const dialogs::SampleResult& r, SampleDescriptor& d)
{
    d.path = r.path;
    ApplySampleTexts(r, d);
}

} // namespace bm::ui
