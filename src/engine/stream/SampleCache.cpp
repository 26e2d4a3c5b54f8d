#include "engine/stream/SampleCache.h"

#include "core/Paths.h"
#include "core/Text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace bm::stream {

namespace {

constexpr int64_t kMegabyte = 1048576;
constexpr std::string_view kRecordingName = "rec_0000.wav";
constexpr std::string_view kTemporaryMark = ".part";

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
bool IsDecimalDigit(char c) { return c >= '0' && c <= '9'; }

// Splits off the last ".field" of `text` when the field is not empty and
// every character passes `accept`.
template <typename Accept>
bool StripField(std::string_view& text, Accept accept)
{
    const size_t dot = text.rfind('.');
    if (dot == std::string_view::npos || dot + 1 == text.size())
        return false;
    const std::string_view field = text.substr(dot + 1);
    if (!std::all_of(field.begin(), field.end(), accept))
        return false;
    text = text.substr(0, dot);
    return true;
}

bool HasSampleExtension(std::string_view stem)
{
    if (stem.size() < 5)
        return false; // at least one character before ".ext"
    const std::string ext = ToLowerAscii(stem.substr(stem.size() - 4));
    return ext == ".wav" || ext == ".mp3" || ext == ".ncp";
}

// Whether `stem` (the name without its final ".wav") is a sample file name,
// optionally followed by the span, optionally followed by four key words.
bool IsCacheStem(std::string_view stem, bool keyAllowed)
{
    if (HasSampleExtension(stem))
        return true;
    // ".span" after the sample name.
    std::string_view rest = stem;
    if (StripField(rest, IsDecimalDigit) && HasSampleExtension(rest))
        return true;
    if (!keyAllowed)
        return false;
    rest = stem;
    for (int i = 0; i < 4; ++i) {
        if (!StripField(rest, IsHexDigit))
            return false;
    }
    return IsCacheStem(rest, false);
}

// The process id in a cache temporary name; -1 when `name` is none.
int64_t TemporaryOwner(std::string_view name)
{
    const size_t mark = name.rfind(kTemporaryMark);
    if (mark == std::string_view::npos)
        return -1;
    const std::string_view cacheName = name.substr(0, mark);
    if (!IsCacheFileName(cacheName) || IsSwapFileName(cacheName))
        return -1;
    const std::string_view suffix = name.substr(mark + kTemporaryMark.size());
    const size_t dash = suffix.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 10 || dash + 1 == suffix.size() ||
        !std::all_of(suffix.begin(), suffix.begin() + std::ptrdiff_t(dash), IsDecimalDigit) ||
        !std::all_of(suffix.begin() + std::ptrdiff_t(dash) + 1, suffix.end(), IsDecimalDigit))
        return -1;
    int64_t pid = 0;
    for (char c : suffix.substr(0, dash))
        pid = pid * 10 + (c - '0');
    return pid;
}

// Whether a temporary file's writer may still be at work: this process (a
// write in progress on another thread) or a process that still runs.
bool OwnerMayBeWriting(int64_t pid)
{
    if (pid == int64_t(::getpid()))
        return true;
    if (pid <= 0 || pid > INT32_MAX)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH;
}

} // namespace

std::string CacheTemporaryPath(const std::string& cachePath)
{
    static std::atomic<uint64_t> counter{0};
    return cachePath + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1) + 1);
}

bool CommitCacheFile(const std::string& temporaryPath, const std::string& cachePath, Error* error)
{
    if (::rename(temporaryPath.c_str(), cachePath.c_str()) == 0)
        return true;
    const std::string why = "cannot rename the cache file to " + cachePath + ": " + std::strerror(errno);
    std::remove(temporaryPath.c_str());
    return Fail(error, why);
}

bool IsCacheTemporaryName(std::string_view name) { return TemporaryOwner(name) >= 0; }

std::string CacheFileName(std::string_view samplePath, int64_t span, SpanInName spanInName, const SampleRef& key)
{
    std::string name = FileNamePart(NormaliseSeparators(samplePath));
    if (spanInName == SpanInName::Yes)
        name += "." + std::to_string(span);
    if (!key.IsEmpty()) {
        for (int i = 0; i < 4; ++i) {
            char word[16];
            std::snprintf(word, sizeof word, ".%x", static_cast<uint32_t>(key.words[size_t(i)]));
            name += word;
        }
    }
    return name + ".wav";
}

bool IsSwapFileName(std::string_view name)
{
    if (name.size() != 12 || !StartsWith(name, "temp_") || ToLowerAscii(name.substr(8)) != ".wav")
        return false;
    for (char c : name.substr(5, 3)) {
        if (!IsHexDigit(char(c | 0x20)) && !IsDecimalDigit(c))
            return false;
    }
    return true;
}

bool IsCacheFileName(std::string_view name)
{
    if (name == kRecordingName)
        return false;
    if (IsSwapFileName(name))
        return true;
    if (name.size() < 4 || name.substr(name.size() - 4) != ".wav")
        return false;
    return IsCacheStem(name.substr(0, name.size() - 4), true);
}

SampleCache::SampleCache(std::string temporaryFolder, int64_t limitMegabytes)
    : m_folder(AsFolder(temporaryFolder)), m_limitMb(std::max<int64_t>(0, limitMegabytes))
{
}

void SampleCache::MarkInUse(const std::string& name)
{
    std::lock_guard lock(m_mutex);
    m_inUse.insert(name);
}

void SampleCache::ReleaseInUse(const std::string& name)
{
    std::lock_guard lock(m_mutex);
    m_inUse.erase(name);
}

std::vector<CacheFileInfo> SampleCache::List() const
{
    std::lock_guard lock(m_mutex);
    return ListLocked();
}

std::vector<CacheFileInfo> SampleCache::ListLocked() const
{
    std::vector<CacheFileInfo> files;
    std::error_code ec;
    std::filesystem::directory_iterator it(m_folder, ec);
    if (ec)
        return files;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (!IsCacheFileName(name))
            continue;
        struct stat st {};
        if (::stat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        CacheFileInfo info;
        info.name = name;
        info.writeTime = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
        info.sizeKb = int64_t(st.st_size) / 1024 + 1;
        files.push_back(std::move(info));
    }
    return files;
}

bool SampleCache::DeleteLocked(const CacheFileInfo& file)
{
    if (m_inUse.count(file.name) != 0)
        return false;
    return std::remove(PathOf(file.name).c_str()) == 0;
}

void SampleCache::RemoveAbandonedTemporariesLocked()
{
    std::error_code ec;
    std::filesystem::directory_iterator it(m_folder, ec);
    if (ec)
        return;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        const int64_t owner = TemporaryOwner(name);
        struct stat st {};
        if (owner < 0 || OwnerMayBeWriting(owner) || ::lstat(entry.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        std::remove(entry.path().c_str());
    }
}

int64_t SampleCache::FreeMegabytes() const
{
    const int64_t fixed = m_freeOverrideMb.load();
    if (fixed >= 0)
        return fixed;
    struct statvfs fs {};
    if (::statvfs(m_folder.c_str(), &fs) != 0)
        return 0;
    return int64_t(uint64_t(fs.f_bavail) * uint64_t(fs.f_frsize) / uint64_t(kMegabyte));
}

bool SampleCache::MakeRoom(int64_t bytes)
{
    // A single request may take at most a quarter of the cache.
    if (bytes != kFlushAll && (bytes < 0 || bytes > m_limitMb * kMegabyte / 4))
        return false;

    std::lock_guard lock(m_mutex);
    std::vector<CacheFileInfo> files = ListLocked();
    if (bytes == kFlushAll) {
        for (const CacheFileInfo& file : files)
            DeleteLocked(file);
        RemoveAbandonedTemporariesLocked();
        return true;
    }
    int64_t totalKb = 0;
    for (const CacheFileInfo& file : files)
        totalKb += file.sizeKb;

    const int64_t freeMb = FreeMegabytes();
    const int64_t neededMb = bytes / kMegabyte;
    if (totalKb + bytes / 1024 < m_limitMb * 1024 && neededMb < freeMb)
        return true;
    if (neededMb >= freeMb + totalKb / 1024)
        return false;

    std::stable_sort(files.begin(), files.end(),
                     [](const CacheFileInfo& a, const CacheFileInfo& b) { return a.writeTime < b.writeTime; });
    const int64_t available = std::min(freeMb, m_limitMb - totalKb / 1024);
    int64_t deletedKb = 0;
    for (const CacheFileInfo& file : files) {
        if (neededMb < available + deletedKb / 1024)
            return true;
        if (DeleteLocked(file))
            deletedKb += file.sizeKb;
    }
    return neededMb < available + deletedKb / 1024;
}

} // namespace bm::stream
