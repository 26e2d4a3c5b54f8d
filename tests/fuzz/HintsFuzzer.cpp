// "hints.dat" comes with a skin: every key looked up in any text must give
// a record without reading outside the text, and filling '#' and '~' must
// work on whatever text it gives.

#include "FuzzArchive.h"

#include "ui/skin/SkinManifest.h"
#include "ui/skin/StringTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const bm::HintKey& key : bm::HintKeys()) {
        bm::HintRecord record;
        if (bm::FindHint(text, key.key, record))
            bm::fuzz::Check(record.found && record.text.size() <= size);
        const std::string filled = bm::FillHintText(record.text, "07", static_cast<int>(size % 2));
        bm::fuzz::Check(filled.size() <= record.text.size() * 2 + 1);
    }
    // The same through the archive, as the window looks its keys up.
    static bm::fuzz::MemoryArchive archive;
    if (archive.Open({{"hints.dat", std::string(text)}})) {
        bm::StringTable table(archive.Archive());
        table.LookUpHint("%TRANS_PLAY ", {0, 0, 9, 9}, 1);
        bm::HintRecord target;
        table.LookUpText("%MB_HEADER ", target);
        bm::fuzz::Check(table.RecordAt({5, 5}) != nullptr);
    }
    return 0;
}
