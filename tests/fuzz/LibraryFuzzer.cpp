// Feeds arbitrary bytes to the catalogue reader, then checks that what was
// read writes and reads back to the same text.

#include "library/LibraryReader.h"
#include "library/LibraryWriter.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bm::SampleLibrary library;
    bm::ParseLibrary(std::string_view(reinterpret_cast<const char*>(data), size), library);
    const std::string text = bm::FormatLibrary(library);
    bm::SampleLibrary back;
    bm::ParseLibrary(text, back);
    if (bm::FormatLibrary(back) != text)
        std::abort();
    return 0;
}
