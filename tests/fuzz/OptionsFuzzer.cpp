// Feeds arbitrary bytes to the options file reader, then checks that what was
// read writes and reads back to the same text.

#include "app/OptionsFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

std::string ReadAndWrite(std::string_view text)
{
    bm::app::OptionsFile options;
    std::vector<std::string> folders;
    bm::app::ParseOptionsText(text, options, folders);
    folders.insert(folders.end(), {"/p/SMPLDATA/", "/p/", ""}); // the built-in entries
    return bm::app::FormatOptionsFile(options, folders);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text = ReadAndWrite(std::string_view(reinterpret_cast<const char*>(data), size));
    if (ReadAndWrite(text) != text)
        std::abort();
    return 0;
}
