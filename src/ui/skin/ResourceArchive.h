#pragma once

// The packed container of the program's skin ("Brickmelody.wad", magic
// "WADn") and the body of song packages (".wcp", magic "WCPn").
//
// On disk, all integers 32-bit signed little-endian:
//     0   magic, four characters without terminator
//     4   total length = directory offset + 64 × entry count
//     8   directory offset (the end of the data area; 16 when empty)
//     12  entry count
//     16  data blocks back to back, in directory order: a 32-bit size n,
//         then the n bytes of the entry
//     directory offset: count records of 64 bytes, a 60-byte zero-padded
//         name (at most 59 characters) and the offset of the entry's block
//
// Song packages come from other people, so Open checks the whole header and
// directory against the real file size before it trusts any of it.
//
// Example:
//     ResourceArchive archive;                 // "WADn"
//     Error error;
//     if (!archive.Open(folder + "Brickmelody.wad", ArchiveAccess::ReadOnly, &error)) ...
//     std::string menu;
//     if (ReadTextEntry(archive, "main_menu.res", menu)) ...
//
// One thread at a time may change the archive (AddFile, RemoveEntry,
// ExtractEntry's reads, Open, Close). The const reads use positioned reads on
// the one open file and no shared file position, so they may run on several
// threads at once as long as nothing changes the archive meanwhile.

#include "core/Error.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm {

// One directory record. The name and offset are the 64 bytes stored on disk;
// the block size is read from the block when the archive is opened (and
// checked then), so that later reads never trust the file again.
struct ArchiveEntry {
    static constexpr size_t kNameBytes = 60;
    static constexpr size_t kMaxNameLength = kNameBytes - 1;

    std::array<char, kNameBytes> name{}; // NUL-terminated, the rest zero
    int32_t offset = 0;                  // absolute offset of the block's size field
    int32_t size = 0;                    // bytes of content after the size field

    std::string_view Name() const;
};

enum class ArchiveAccess { ReadOnly, ReadWrite };

class ResourceArchive {
public:
    static constexpr std::string_view kResourceMagic = "WADn";
    static constexpr std::string_view kPackageMagic = "WCPn";
    static constexpr int32_t kHeaderBytes = 16;
    static constexpr int32_t kRecordBytes = 64;
    // Removal moves the blocks behind the removed one through a buffer of this size.
    static constexpr size_t kMoveChunkBytes = 1u << 20;

    explicit ResourceArchive(std::string_view magic = kResourceMagic);
    ~ResourceArchive();
    ResourceArchive(const ResourceArchive&) = delete;
    ResourceArchive& operator=(const ResourceArchive&) = delete;

    // The four magic characters Open expects and WriteDirectory writes. Set it
    // before Open ("WCPn" for a song package).
    void SetMagic(std::string_view magic);
    const std::string& Magic() const { return m_magic; }

    // Opens the container and reads its directory. The file is held with an
    // exclusive advisory lock (flock) for as long as it is open, so a second
    // opener, in this process or another, fails. With ReadWrite a missing file
    // is created as an empty container (16 bytes). Fails with the reason when
    // the file cannot be opened or locked, the magic differs (case counts), or
    // the header and directory do not describe a container that fits in the
    // file: the directory must lie inside the file, every block must lie inside
    // the data area after the header and after the block before it, every name
    // must end with a zero inside its 60 bytes. After a failure the archive is
    // closed.
    bool Open(const std::string& path, ArchiveAccess access, Error* error = nullptr);
    // Releases the lock and the file and forgets the directory.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    const std::string& Path() const { return m_path; }

    // Index of the first entry whose name equals `name` ignoring letter case
    // (ASCII); -1 when there is none.
    int FindEntry(std::string_view name) const;
    // Size of the entry's contents in bytes; 0 when there is no such entry.
    int32_t GetEntrySize(std::string_view name) const;
    // Copies up to `count` bytes of the entry's contents from byte `start` on
    // into `buffer`; returns the number copied (0 when there is no such entry
    // or `start` lies at or past its end).
    size_t ReadEntry(std::string_view name, void* buffer, size_t count, size_t start = 0) const;
    // The whole entry; false when there is no such entry or it cannot be read.
    bool ReadWholeEntry(std::string_view name, std::string& out) const;

    // Appends the file's contents as an entry named by the first 59 bytes of
    // `entryName` (cut before a split UTF-8 character). An entry of the same
    // name (ignoring case) is replaced: the new one ends up last in the
    // directory. When the archive cannot be grown (disk full, too large for
    // 32-bit offsets) it is left exactly as it was.
    bool AddFile(std::string_view entryName, const std::string& sourcePath, Error* error = nullptr);
    // Removes the entry and closes its gap by moving every later block down.
    // A write error while the blocks move leaves the archive damaged; it is
    // then closed and the reason says so.
    bool RemoveEntry(std::string_view name, Error* error = nullptr);
    // Writes the entry's contents to `destination`. A destination that ends in
    // '/' is a folder and the entry's name becomes the file name; such a name
    // must be a plain file name (not empty, ".", "..", and without '/', '\',
    // ':' or control characters), otherwise nothing is written. The file is
    // replaced as a whole: a failed write leaves an existing file as it was.
    bool ExtractEntry(std::string_view name, const std::string& destination, Error* error = nullptr);
    // Stores the header and directory for the entries in memory and sets the
    // file's length to the total length. Run after every change.
    bool WriteDirectory(Error* error = nullptr);

    const std::vector<ArchiveEntry>& Entries() const { return m_entries; }
    int32_t TotalLength() const { return m_totalLength; }
    // The directory offset: where the data area ends.
    int32_t DataEnd() const { return m_dataEnd; }

    // True when `name` may be used as a file name inside a folder of ours.
    static bool IsPlainFileName(std::string_view name);

private:
    bool ReadAt(int64_t offset, void* buffer, size_t count) const;
    bool WriteAt(int64_t offset, const void* buffer, size_t count);
    bool RemoveAt(size_t index, Error* error);
    bool Damaged(Error* error, const std::string& what);

    std::string m_magic;
    std::string m_path;
    int m_fd = -1;
    ArchiveAccess m_access = ArchiveAccess::ReadOnly;
    int32_t m_totalLength = kHeaderBytes;
    int32_t m_dataEnd = kHeaderBytes;
    std::vector<ArchiveEntry> m_entries;
};

} // namespace bm
