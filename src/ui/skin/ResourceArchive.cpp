#include "ui/skin/ResourceArchive.h"

#include "core/Binary.h"
#include "core/File.h"
#include "core/Paths.h"
#include "core/Text.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bm {

namespace {

std::string SystemReason() { return std::strerror(errno); }

// The magic as it can be shown in a message: printable ASCII, others as '?'.
std::string Printable(const uint8_t* bytes, size_t count)
{
    std::string out;
    for (size_t i = 0; i < count; ++i)
        out.push_back(bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '?');
    return out;
}

// The first 59 bytes of a name, cut before a UTF-8 character that would
// otherwise be split.
std::string_view CutName(std::string_view name)
{
    if (name.size() <= ArchiveEntry::kMaxNameLength)
        return name;
    size_t cut = ArchiveEntry::kMaxNameLength;
    while (cut > 0 && (static_cast<uint8_t>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut);
}

int64_t FileLength(int fd)
{
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

} // namespace

std::string_view ArchiveEntry::Name() const { return {name.data(), ::strnlen(name.data(), name.size())}; }

ResourceArchive::ResourceArchive(std::string_view magic) { SetMagic(magic); }

ResourceArchive::~ResourceArchive() { Close(); }

void ResourceArchive::SetMagic(std::string_view magic)
{
    assert(magic.size() == 4);
    m_magic = std::string(magic.substr(0, 4));
    m_magic.resize(4, ' ');
}

void ResourceArchive::Close()
{
    if (m_fd >= 0)
        ::close(m_fd); // also releases the lock
    m_fd = -1;
    m_path.clear();
    m_entries.clear();
    m_totalLength = kHeaderBytes;
    m_dataEnd = kHeaderBytes;
}

bool ResourceArchive::ReadAt(int64_t offset, void* buffer, size_t count) const
{
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        ssize_t n = ::pread(m_fd, out, count, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out += n;
        offset += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool ResourceArchive::WriteAt(int64_t offset, const void* buffer, size_t count)
{
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        ssize_t n = ::pwrite(m_fd, in, count, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        in += n;
        offset += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool ResourceArchive::Damaged(Error* error, const std::string& what)
{
    std::string message = what + "; the archive " + m_path + " may be damaged";
    Close();
    return Fail(error, message);
}

bool ResourceArchive::Open(const std::string& path, ArchiveAccess access, Error* error)
{
    Close();
    bool readOnly = access == ArchiveAccess::ReadOnly;
    int fd = ::open(path.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC);
    bool created = false;
    if (fd < 0 && !readOnly && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        created = fd >= 0;
    }
    if (fd < 0)
        return Fail(error, "cannot open " + path + ": " + SystemReason());

    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail(error, path + " is not a regular file");
    }
    // Nobody else may use the archive while we hold it: the program's single
    // running copy depends on this lock, and two writers would destroy it.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        std::string reason = errno == EWOULDBLOCK ? "it is in use by another program" : SystemReason();
        ::close(fd);
        return Fail(error, "cannot lock " + path + ": " + reason);
    }
    m_fd = fd;
    m_path = path;
    m_access = access;

    if (created && !WriteDirectory(error)) {
        Close();
        ::unlink(path.c_str());
        return false;
    }

    auto refuse = [&](const std::string& why, int64_t where = -1) {
        Close();
        return Fail(error, path + ": " + why, where);
    };

    int64_t fileLength = FileLength(m_fd);
    uint8_t header[kHeaderBytes];
    if (fileLength < kHeaderBytes || !ReadAt(0, header, sizeof header))
        return refuse("too short for an archive header (" + std::to_string(std::max<int64_t>(fileLength, 0))
                      + " bytes)");
    if (std::memcmp(header, m_magic.data(), 4) != 0)
        return refuse("the magic is \"" + Printable(header, 4) + "\", expected \"" + m_magic + "\"", 0);

    int64_t totalLength = ReadLE32s(header + 4);
    int64_t dataEnd = ReadLE32s(header + 8);
    int64_t count = ReadLE32s(header + 12);
    if (dataEnd < kHeaderBytes)
        return refuse("the directory offset " + std::to_string(dataEnd) + " lies inside the header", 8);
    if (count < 0)
        return refuse("the entry count " + std::to_string(count) + " is negative", 12);
    // Every entry owns a block of at least its 4-byte size in the data area.
    if (count > (dataEnd - kHeaderBytes) / 4)
        return refuse("the entry count " + std::to_string(count) + " does not fit in a data area of "
                          + std::to_string(dataEnd - kHeaderBytes) + " bytes",
                      12);
    int64_t directoryEnd = dataEnd + count * kRecordBytes;
    if (directoryEnd > fileLength)
        return refuse("the directory (" + std::to_string(count) + " entries at " + std::to_string(dataEnd)
                          + ") runs past the end of the file (" + std::to_string(fileLength) + " bytes)",
                      8);
    if (totalLength != directoryEnd)
        return refuse("the total length " + std::to_string(totalLength)
                          + " differs from the directory's end " + std::to_string(directoryEnd),
                      4);

    // The directory is at most as large as the file, which we have checked.
    std::vector<uint8_t> directory(static_cast<size_t>(count * kRecordBytes));
    if (!ReadAt(dataEnd, directory.data(), directory.size()))
        return refuse("cannot read the directory: " + SystemReason(), dataEnd);

    std::vector<ArchiveEntry> entries(static_cast<size_t>(count));
    int64_t previousEnd = kHeaderBytes;
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint8_t* record = directory.data() + i * kRecordBytes;
        int64_t at = dataEnd + static_cast<int64_t>(i) * kRecordBytes;
        std::string number = "entry " + std::to_string(i) + ": ";
        ArchiveEntry& entry = entries[i];
        if (std::memchr(record, 0, ArchiveEntry::kNameBytes) == nullptr)
            return refuse(number + "the name has no terminating zero", at);
        std::memcpy(entry.name.data(), record, ArchiveEntry::kNameBytes);
        int64_t offset = ReadLE32s(record + ArchiveEntry::kNameBytes);
        // Blocks ascend in directory order; removal moves them relying on it.
        if (offset < previousEnd)
            return refuse(number + "the block at " + std::to_string(offset)
                              + " overlaps the header or the block before it",
                          at);
        if (offset + 4 > dataEnd)
            return refuse(number + "the block at " + std::to_string(offset) + " lies past the data area", at);
        uint8_t sizeField[4];
        if (!ReadAt(offset, sizeField, 4))
            return refuse(number + "cannot read the block size: " + SystemReason(), offset);
        int64_t size = ReadLE32s(sizeField);
        if (size < 0 || offset + 4 + size > dataEnd)
            return refuse(number + "the block of " + std::to_string(size) + " bytes at " + std::to_string(offset)
                              + " runs past the data area",
                          offset);
        entry.offset = static_cast<int32_t>(offset);
        entry.size = static_cast<int32_t>(size);
        previousEnd = offset + 4 + size;
    }
    m_entries = std::move(entries);
    m_totalLength = static_cast<int32_t>(totalLength);
    m_dataEnd = static_cast<int32_t>(dataEnd);
    return true;
}

int ResourceArchive::FindEntry(std::string_view name) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (EqualsIgnoreCase(m_entries[i].Name(), name))
            return static_cast<int>(i);
    }
    return -1;
}

int32_t ResourceArchive::GetEntrySize(std::string_view name) const
{
    int index = FindEntry(name);
    return index < 0 ? 0 : m_entries[static_cast<size_t>(index)].size;
}

size_t ResourceArchive::ReadEntry(std::string_view name, void* buffer, size_t count, size_t start) const
{
    int index = FindEntry(name);
    if (index < 0 || m_fd < 0)
        return 0;
    const ArchiveEntry& entry = m_entries[static_cast<size_t>(index)];
    size_t size = static_cast<size_t>(entry.size);
    size_t from = std::min(start, size);
    size_t wanted = std::min(size - from, count);
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t offset = static_cast<int64_t>(entry.offset) + 4 + static_cast<int64_t>(from);
    size_t done = 0;
    while (done < wanted) {
        ssize_t n = ::pread(m_fd, out + done, wanted - done, offset + static_cast<int64_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

bool ResourceArchive::ReadWholeEntry(std::string_view name, std::string& out) const
{
    int index = FindEntry(name);
    if (index < 0 || m_fd < 0)
        return false;
    const ArchiveEntry& entry = m_entries[static_cast<size_t>(index)];
    std::string data(static_cast<size_t>(entry.size), '\0');
    if (!ReadAt(static_cast<int64_t>(entry.offset) + 4, data.data(), data.size()))
        return false;
    out = std::move(data);
    return true;
}

bool ResourceArchive::WriteDirectory(Error* error)
{
    if (m_fd < 0)
        return Fail(error, "the archive is not open");
    if (m_access == ArchiveAccess::ReadOnly)
        return Fail(error, m_path + " is open for reading only");
    int64_t total = static_cast<int64_t>(m_dataEnd) + static_cast<int64_t>(m_entries.size()) * kRecordBytes;
    if (total > INT32_MAX)
        return Fail(error, m_path + ": the archive would exceed 2 GiB");

    std::vector<uint8_t> directory;
    directory.reserve(m_entries.size() * kRecordBytes);
    for (const ArchiveEntry& entry : m_entries) {
        AppendBytes(directory, entry.name.data(), ArchiveEntry::kNameBytes);
        AppendLE32(directory, static_cast<uint32_t>(entry.offset));
    }
    std::vector<uint8_t> header;
    AppendBytes(header, m_magic.data(), 4);
    AppendLE32(header, static_cast<uint32_t>(total));
    AppendLE32(header, static_cast<uint32_t>(m_dataEnd));
    AppendLE32(header, static_cast<uint32_t>(m_entries.size()));

    // The header goes last, after the directory it describes, and the file is
    // cut only after both are in place.
    int64_t length = FileLength(m_fd);
    if (length < total && ::ftruncate(m_fd, total) != 0)
        return Fail(error, "cannot extend " + m_path + ": " + SystemReason());
    if (!WriteAt(m_dataEnd, directory.data(), directory.size()) || !WriteAt(0, header.data(), header.size()))
        return Fail(error, "cannot write the directory of " + m_path + ": " + SystemReason());
    if (length > total && ::ftruncate(m_fd, total) != 0)
        return Fail(error, "cannot cut " + m_path + " to its length: " + SystemReason());
    m_totalLength = static_cast<int32_t>(total);
    return true;
}

bool ResourceArchive::AddFile(std::string_view entryName, const std::string& sourcePath, Error* error)
{
    if (m_fd < 0)
        return Fail(error, "the archive is not open");
    if (m_access == ArchiveAccess::ReadOnly)
        return Fail(error, m_path + " is open for reading only");
    if (entryName.empty())
        return Fail(error, "an entry needs a name");
    if (entryName.find('\0') != std::string_view::npos)
        return Fail(error, "an entry name cannot hold a zero byte");
    std::string_view name = CutName(entryName);

    // The whole source first: nothing in the archive changes until it is read.
    std::string data;
    if (!ReadWholeFile(sourcePath, data, INT32_MAX, error))
        return false;
    int64_t blockEnd = static_cast<int64_t>(m_dataEnd) + 4 + static_cast<int64_t>(data.size());
    int64_t newTotal = blockEnd + static_cast<int64_t>(m_entries.size() + 1) * kRecordBytes;
    if (newTotal > INT32_MAX)
        return Fail(error, m_path + ": adding " + sourcePath + " would make the archive exceed 2 GiB");

    // The block overwrites the old directory. Reserving the whole new length
    // first finds a full disk before anything is overwritten; should a write
    // fail all the same, the old directory is written back.
    int64_t oldLength = FileLength(m_fd);
    int64_t oldDataEnd = m_dataEnd;
    if (int failed = ::posix_fallocate(m_fd, oldDataEnd, newTotal - oldDataEnd); failed != 0) {
        if (::ftruncate(m_fd, oldLength) != 0) {
            // The archive is unchanged apart from zero bytes after its end.
        }
        return Fail(error, "no room to add " + sourcePath + " to " + m_path + ": " + std::strerror(failed));
    }
    auto rollBack = [&](const std::string& why) {
        m_dataEnd = static_cast<int32_t>(oldDataEnd);
        if (!WriteDirectory())
            return Damaged(error, why);
        return Fail(error, why);
    };
    uint8_t sizeField[4];
    WriteLE32(sizeField, static_cast<uint32_t>(data.size()));
    if (!WriteAt(oldDataEnd, sizeField, 4) || !WriteAt(oldDataEnd + 4, data.data(), data.size()))
        return rollBack("cannot write to " + m_path + ": " + SystemReason());

    // The new entry goes in before a namesake is removed, so that a failure
    // never loses the old entry; the result is the same as removing first.
    int existing = FindEntry(name);
    ArchiveEntry entry;
    std::copy(name.begin(), name.end(), entry.name.begin());
    entry.offset = static_cast<int32_t>(oldDataEnd);
    entry.size = static_cast<int32_t>(data.size());
    m_entries.push_back(entry);
    m_dataEnd = static_cast<int32_t>(blockEnd);
    if (!WriteDirectory(error)) {
        m_entries.pop_back();
        return rollBack(error ? error->message : "cannot write the directory of " + m_path);
    }
    if (existing >= 0)
        return RemoveAt(static_cast<size_t>(existing), error);
    return true;
}

bool ResourceArchive::RemoveEntry(std::string_view name, Error* error)
{
    if (m_fd < 0)
        return Fail(error, "the archive is not open");
    if (m_access == ArchiveAccess::ReadOnly)
        return Fail(error, m_path + " is open for reading only");
    int index = FindEntry(name);
    if (index < 0)
        return Fail(error, "no entry \"" + std::string(name) + "\" in " + m_path);
    return RemoveAt(static_cast<size_t>(index), error);
}

bool ResourceArchive::RemoveAt(size_t index, Error* error)
{
    int64_t blockStart = m_entries[index].offset;
    int64_t gap = static_cast<int64_t>(m_entries[index].size) + 4;

    // Move every later block down by the gap, front to back, in chunks of
    // 1 MiB; the directory is written afresh afterwards.
    int64_t from = blockStart + gap;
    int64_t remaining = m_dataEnd - from;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(remaining, kMoveChunkBytes)));
    int64_t moved = 0;
    while (moved < remaining) {
        size_t chunk = static_cast<size_t>(std::min<int64_t>(remaining - moved, kMoveChunkBytes));
        if (!ReadAt(from + moved, buffer.data(), chunk)) {
            std::string why = "cannot read " + m_path + ": " + SystemReason();
            return moved == 0 ? Fail(error, why) : Damaged(error, why);
        }
        if (!WriteAt(blockStart + moved, buffer.data(), chunk))
            return Damaged(error, "cannot write to " + m_path + ": " + SystemReason());
        moved += static_cast<int64_t>(chunk);
    }

    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
    for (size_t i = index; i < m_entries.size(); ++i)
        m_entries[i].offset -= static_cast<int32_t>(gap);
    m_dataEnd -= static_cast<int32_t>(gap);
    Error reason;
    if (!WriteDirectory(&reason))
        return Damaged(error, reason.message);
    return true;
}

bool ResourceArchive::IsPlainFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char c : name) {
        auto byte = static_cast<uint8_t>(c);
        if (c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

bool ResourceArchive::ExtractEntry(std::string_view name, const std::string& destination, Error* error)
{
    int index = FindEntry(name);
    if (index < 0 || m_fd < 0)
        return Fail(error, "no entry \"" + std::string(name) + "\" in " + (m_fd < 0 ? "a closed archive" : m_path));
    std::string target = MakeAbsolute(destination);
    if (target.empty())
        return Fail(error, "no destination for \"" + std::string(name) + "\"");
    if (FileNamePart(target).empty()) {
        // Into a folder under the entry's own name, which comes from the
        // archive and so from whoever made it.
        std::string_view entryName = m_entries[static_cast<size_t>(index)].Name();
        if (!IsPlainFileName(entryName))
            return Fail(error, "the entry name \"" + std::string(entryName)
                                   + "\" is not a plain file name; nothing was extracted");
        target += entryName;
    }
    std::string data;
    if (!ReadWholeEntry(name, data))
        return Fail(error, "cannot read \"" + std::string(name) + "\" from " + m_path + ": " + SystemReason());
    return WriteFileDurably(target, data, error);
}

} // namespace bm
