// Archive files from song packages are untrusted: Open must refuse what does
// not fit and every read of what it accepts must stay inside the entry. Our
// own changes to an accepted archive must leave an archive that opens again.

#include "ui/skin/ArchiveText.h"
#include "ui/skin/Bitmap.h"
#include "ui/skin/ResourceArchive.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// In-memory files reached through /proc, so the fuzzer does not wear the disk.
struct MemoryFile {
    int fd = ::memfd_create("archive-fuzz", MFD_CLOEXEC);
    std::string Path() const { return "/proc/self/fd/" + std::to_string(fd); }
    void Assign(const uint8_t* data, size_t size) const
    {
        if (::ftruncate(fd, 0) != 0 || (size > 0 && ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)))
            std::abort();
    }
};

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

void ReadEverything(const bm::ResourceArchive& archive)
{
    for (const bm::ArchiveEntry& entry : archive.Entries()) {
        std::string name(entry.Name());
        int32_t size = archive.GetEntrySize(name);
        Check(size >= 0);
        std::string whole;
        if (archive.ReadWholeEntry(name, whole))
            Check(whole.size() == static_cast<size_t>(size));
        char buffer[16];
        Check(archive.ReadEntry(name, buffer, sizeof buffer, static_cast<size_t>(size) - 3) <= 3);
        std::string text, line;
        if (bm::ReadTextEntry(archive, name, text)) {
            std::string_view rest = text;
            while (bm::NextLine(rest, line)) {
            }
        }
        std::vector<uint8_t> pixels;
        int32_t width = 0, height = 0;
        if (bm::LoadBitmap24(archive, name, &pixels, &width, &height))
            Check(pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
        if (bm::LoadBitmap8(archive, name, &pixels, &width, &height, bm::BufferResize::Keep))
            Check(pixels.size() >= static_cast<size_t>(width) * static_cast<size_t>(height));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const MemoryFile file;
    static const MemoryFile source;
    static const bool ready = [] {
        static const uint8_t added[] = "a new entry";
        source.Assign(added, sizeof added);
        return file.fd >= 0 && source.fd >= 0;
    }();
    if (!ready)
        return 0;
    file.Assign(data, size);

    bool package = size >= 4 && data[0] == 'W' && data[1] == 'C' && data[2] == 'P';
    bm::ResourceArchive archive(package ? bm::ResourceArchive::kPackageMagic : bm::ResourceArchive::kResourceMagic);
    if (!archive.Open(file.Path(), bm::ArchiveAccess::ReadOnly))
        return 0;
    ReadEverything(archive);
    // A folder that cannot exist: extraction reads the entry and checks its
    // name, but writes nothing.
    if (!archive.Entries().empty())
        Check(!archive.ExtractEntry(archive.Entries()[0].Name(), "/dev/null/"));

    Check(archive.Open(file.Path(), bm::ArchiveAccess::ReadWrite));
    if (!archive.Entries().empty()) {
        std::string name(archive.Entries()[archive.Entries().size() / 2].Name());
        Check(archive.RemoveEntry(name));
    }
    // Under the first entry's name when it has one: replacing moves blocks too.
    std::string added = archive.Entries().empty() ? "x" : std::string(archive.Entries()[0].Name());
    Check(archive.AddFile(added.empty() ? "x" : added, source.Path()));
    archive.Close();
    Check(archive.Open(file.Path(), bm::ArchiveAccess::ReadOnly));
    ReadEverything(archive);
    return 0;
}
