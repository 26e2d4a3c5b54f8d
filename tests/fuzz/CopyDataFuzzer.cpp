// Feeds arbitrary bytes to the decoder of the record that a second copy of
// the program sends; a decoded record must encode to the bytes it came from.

#include "platform/CopyDataRecord.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    bm::platform::CopyDataRecord record;
    size_t consumed = 0;
    auto result = bm::platform::DecodeCopyData(std::span(data, size), record, consumed);
    if (result == bm::platform::CopyDataDecode::Complete) {
        std::vector<uint8_t> again = bm::platform::EncodeCopyData(record);
        if (consumed > size || again.size() != consumed || !std::equal(again.begin(), again.end(), data))
            std::abort();
        bm::platform::CopyDataText(record);
    }
    return 0;
}
