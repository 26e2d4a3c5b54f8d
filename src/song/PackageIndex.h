#pragma once

// The sample index of a song package ("wcp.inf"): one empty line, then one
// line per packed sample, the sample collected last first. Each line holds
// eleven quoted fields separated by two blanks (none after the last):
//     "N.smp"  "style"  "group"  "part"  "chord"  "first"  "second"
//     "path on the writing machine"  "fourth"  "nominal length"  "kind"
//
// A package comes from someone else, so the parser checks every line before
// anything is done with it and refuses the whole index with a reason when a
// line is damaged.

#include "core/Error.h"
#include "library/SampleResolver.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm {

inline constexpr const char* kPackageMagic = "WCPn";
inline constexpr const char* kPackageIndexName = "wcp.inf";
inline constexpr const char* kPackageSongName = "wcp.ncp";
// Below the temporary folder; packages are written and read through it.
inline constexpr const char* kPackageWorkFolderName = "WCPTEMPS/";
// Nominal length of a sample line that has no tenth field, in frames.
constexpr int32_t kPackageDefaultNominalLength = 325632;
// The index is text of a few hundred bytes per sample; a bigger entry is not one.
constexpr int32_t kMaxPackageIndexBytes = 64 << 20;

struct PackageSample {
    std::string entryName;   // "N.smp"
    SlotTexts texts;         // style, group, part, chord, first, second, path, fourth
    int32_t nominalLength = kPackageDefaultNominalLength;
    int32_t kind = 0;
    bool operator==(const PackageSample&) const = default;

    // The file name the sample gets in the user folder: the last component
    // of its path on the writing machine, after either separator.
    std::string FileName() const;
};

// One index line with its CR LF.
std::string FormatPackageSample(const PackageSample& sample);

// Reads the index: lines are trimmed, lines that do not begin with a double
// quote are skipped. A sample line needs its first nine fields, a plain
// entry name, a first text and a plain file name at the end of its path
// (not empty, ".", "..", no control characters); a missing tenth or
// eleventh field takes its default. Fails with the line and the reason, and
// then `samples` is empty.
bool ParsePackageIndex(std::string_view text, std::vector<PackageSample>& samples, Error* error = nullptr);

} // namespace bm
