// Feeds arbitrary bytes to the package index reader. Whatever it accepts
// must name entries and files that stay inside the folder they go to, and
// must come back the same after a write and a read.

#include "song/PackageIndex.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<bm::PackageSample> samples;
    if (!bm::ParsePackageIndex(std::string_view(reinterpret_cast<const char*>(data), size), samples))
        return 0;
    std::string text = "\r\n";
    for (const auto& sample : samples) {
        const std::string name = sample.FileName();
        if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos)
            std::abort();
        if (sample.entryName.find_first_of("/\\") != std::string::npos)
            std::abort();
        text += bm::FormatPackageSample(sample);
    }
    std::vector<bm::PackageSample> back;
    if (!bm::ParsePackageIndex(text, back) || back != samples)
        std::abort();
    return 0;
}
