// Dialog text lists come with a skin: any entry fills at most as many texts
// as the dialog has, and expanding line breaks never grows a text by more
// than the pairs it holds.

#include "FuzzArchive.h"

#include "ui/skin/TextList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bm::fuzz::MemoryArchive archive;
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (!archive.Open({{"Options.res", input}}))
        return 0;
    std::vector<std::string> texts(32, "built in");
    bm::ReadTextList(archive.Archive(), "Options.res", texts);
    bm::fuzz::Check(texts.size() == 32);
    size_t total = 0;
    for (const std::string& text : texts) {
        const std::string expanded = bm::ExpandLineBreaks(text);
        bm::fuzz::Check(expanded.size() == text.size());
        total += text.size();
    }
    bm::fuzz::Check(total <= size + 32 * 8);
    return 0;
}
