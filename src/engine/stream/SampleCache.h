#pragma once

// The disk cache of converted samples: wave files in the temporary folder,
// one per sample, span and key, named
//     <sample file name with extension>[.<span>][.<k0>.<k1>.<k2>.<k3>].wav
// (span in decimal when the sample is stretchable or a song, the first four
// key words in lower-case hexadecimal when a key is given). The manager
// keeps the cache under its size limit by deleting the least recently used
// files (a reused file's time is refreshed on every open).
//
// Only files whose names have the cache form, and the swap files
// ("temp_" three hexadecimal digits ".wav"), are ever listed or deleted: the
// temporary folder may be a folder of the user's own. The recording
// "rec_0000.wav" is never deleted (it holds a take not yet saved).
//
// A cache file is written under a temporary name beside its final one,
//     <cache file name>.part<process id>-<number>
// and renamed to its cache name only when complete (a rename within one
// folder is atomic), so a process killed or a disk filled mid-write, or two
// threads converting the same sample at once, never leave a partial file
// under the cache name. Temporary names never end in ".wav": the listing
// never counts or deletes one as a cache file. A flush removes those left
// by processes no longer running; otherwise they are ignored.
//
// Threads: any; the listing and deleting run under the manager's own lock.

#include "core/Error.h"
#include "library/SampleLibrary.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace bm::stream {

// Whether a sample is converted for a given span (kind not 0, or a song):
// then the span is part of the cache name.
enum class SpanInName { No, Yes };

// The file name (no folder) of a cache file.
std::string CacheFileName(std::string_view samplePath, int64_t span, SpanInName spanInName, const SampleRef& key);
// True for names of the cache form above (any case for the sample's
// extension wav, mp3 or ncp) and for swap file names.
bool IsCacheFileName(std::string_view name);
bool IsSwapFileName(std::string_view name);

// A fresh temporary path (unique in this process and among running ones)
// for writing the cache file `cachePath`.
std::string CacheTemporaryPath(const std::string& cachePath);
// Renames the complete temporary file to its cache path, replacing any file
// there. On failure the temporary file is removed and false returned.
bool CommitCacheFile(const std::string& temporaryPath, const std::string& cachePath, Error* error = nullptr);
// True for temporary names of the form above.
bool IsCacheTemporaryName(std::string_view name);

struct CacheFileInfo {
    std::string name;      // file name in the temporary folder
    int64_t writeTime = 0; // nanoseconds since the epoch
    int64_t sizeKb = 0;    // bytes / 1024 + 1
};

class SampleCache {
public:
    // `temporaryFolder` ends with '/'; `limitMegabytes` is the options
    // setting (line 11).
    SampleCache(std::string temporaryFolder, int64_t limitMegabytes);

    const std::string& Folder() const { return m_folder; }
    int64_t LimitMegabytes() const { return m_limitMb; }
    std::string PathOf(std::string_view name) const { return m_folder + std::string(name); }

    // Makes room for `bytes` more bytes, or with kFlushAll deletes every
    // cache and swap file that can be deleted, and the temporary files of
    // processes no longer running. False when the request is
    // larger than a quarter of the limit, or room cannot be made.
    static constexpr int64_t kFlushAll = -1;
    bool MakeRoom(int64_t bytes);

    // The cache and swap files present now, in directory order.
    std::vector<CacheFileInfo> List() const;

    // Files this process holds open (the swap file): skipped by deletion as
    // the system would refuse to delete an open file elsewhere.
    void MarkInUse(const std::string& name);
    void ReleaseInUse(const std::string& name);

    // Free megabytes on the folder's file system available to this process;
    // a test may fix the figure (negative: ask the system).
    void SetFreeMegabytesForTest(int64_t megabytes) { m_freeOverrideMb = megabytes; }

private:
    std::vector<CacheFileInfo> ListLocked() const;
    bool DeleteLocked(const CacheFileInfo& file);
    void RemoveAbandonedTemporariesLocked();
    int64_t FreeMegabytes() const;

    std::string m_folder;
    int64_t m_limitMb = 0;
    std::atomic<int64_t> m_freeOverrideMb{-1};
    mutable std::mutex m_mutex;
    std::set<std::string> m_inUse;
};

} // namespace bm::stream
