#pragma once

// Writes a song package (".wcp"): an archive with the magic "WCPn" that holds
// the song ("wcp.ncp", written as the document), every user sample the song
// uses once ("0.smp", "1.smp", ... byte for byte as on disk) and the sample
// index ("wcp.inf"). Samples of factory parts are never packed. A sample
// that is a song itself (".ncp") has its own samples packed as well, through
// at most 10 such songs per package (also when songs refer to each other in
// a cycle).
//
// Example:
//     PackageWriter writer(library, folders);
//     if (!writer.Write(song, "/home/me/tune.wcp", &error)) ...

#include "core/Error.h"
#include "song/PackageFolders.h"
#include "song/Song.h"

#include <memory>
#include <string>
#include <vector>

namespace bm {

class ResourceArchive;

class PackageWriter {
public:
    // The collector runs for the song and at most 10 songs used as samples.
    static constexpr int kMaxCollectorCalls = 11;

    // The library must not change while the writer is used.
    PackageWriter(const SampleLibrary& library, PackageFolders folders);
    ~PackageWriter();

    // Writes the package to `target` (any file there is deleted first). On
    // failure a partly written package may remain at `target`.
    bool Write(const Song& song, const std::string& target, Error* error = nullptr);

    // The samples of the last Write, in the order they were packed.
    const std::vector<SampleRef>& Packed() const { return m_collection; }
    // The index text of the last Write, in collection order (one line per
    // sample, before it is reversed into "wcp.inf").
    const std::string& IndexText() const { return m_index; }

private:
    void Collect(const std::vector<Measure>& measures);
    bool PackSample(const SampleRef& ref, std::string& songFile);

    const SampleLibrary& m_library;
    PackageFolders m_folders;
    std::unique_ptr<ResourceArchive> m_archive;
    std::vector<SampleRef> m_collection;
    std::string m_index;
    int m_calls = 0;
    bool m_failed = false;
    Error m_error;
};

// The "wcp.inf" text made from an index text: its lines from the last to the
// first, so that it begins with one empty line.
std::string ReversedIndex(const std::string& indexText);

} // namespace bm
