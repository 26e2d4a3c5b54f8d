#pragma once

// Reads a song package (".wcp") in two steps, so that a package that fails
// part-way changes nothing:
//
// 1. Read() opens the package, checks its whole sample index, and works out
//    every sample against a copy of the library: a sample the library
//    already holds (score 120) may replace the local file (the person is
//    asked, with a for-all choice); any other sample is added to the chord
//    of the same names in the user's part. The packed files are extracted
//    beside their targets under hidden names, the song is extracted into the
//    work folder and read against the new library. Nothing the person sees
//    has changed yet.
// 2. PackageImport::Commit() renames the extracted files over their targets
//    (files it replaces are set aside until the import is finished, so a
//    later failure can put them back). The caller then takes the import's
//    library and song as its own.
//
// Files are only ever written into the work folder and the user folder: a
// sample's file name is the last component of its path in the index, and a
// local file outside the user folder is never replaced.
//
// Example:
//     PackageImport import;
//     if (!PackageReader(folders, questions).Read(path, library, import, &error)) ...
//     if (!import.Commit(&error)) ...
//     library = std::move(import.library);  // then replace the current song
//     import.Finish();

#include "core/Error.h"
#include "song/PackageFolders.h"
#include "song/PackageQuestions.h"
#include "song/Song.h"
#include "song/SongReader.h"

#include <string>
#include <vector>

namespace bm {

enum class PackageSampleAction {
    Replaced,              // the local file is replaced by the packed one
    Kept,                  // the local file is kept
    KeptOutsideUserFolder, // asked to replace, but the local file lies outside the user folder
    Added,                 // added to the library; its file is written into the user folder
    AddedExistingFile,     // added; the same file already lay where it goes
    SameFile,              // dropped: its chord already uses a file of that name
    Declined,              // dropped by the sample file dialog
    NoPlace,               // dropped: the library has no chord to put it in
    FolderRefused,         // dropped: the chord's folder would leave the user folder
    NotReached,            // the person stopped adding samples before this one
};

const char* PackageSampleActionName(PackageSampleAction action);

struct PackageSampleResult {
    PackageSample sample;
    int score = 0;           // of the library search
    PackageSampleAction action = PackageSampleAction::NotReached;
    SampleRef ref;           // the sample matched or added, else empty
    std::string file;        // the local file replaced, kept or written
};

class PackageImport {
public:
    PackageImport() = default;
    ~PackageImport();
    PackageImport(PackageImport&& other) noexcept;
    PackageImport& operator=(PackageImport&& other) noexcept;
    PackageImport(const PackageImport&) = delete;
    PackageImport& operator=(const PackageImport&) = delete;

    SampleLibrary library;   // the library with the package's samples, normalised
    Song song;               // the package's song, read against `library`
    SongReadStats songStats;
    std::string songFile;    // work folder + "wcp.ncp"
    std::string startSong;   // the song's "%PATH" value, else songFile
    std::vector<PackageSampleResult> samples;

    // Puts the extracted files in place. On failure every target is as it
    // was and the extracted files are gone.
    bool Commit(Error* error = nullptr);
    // Undoes a commit (targets as they were), or drops the extracted files.
    void Rollback();
    // Ends the import: after a commit the replaced files set aside are
    // deleted; before one, the extracted files are dropped. The destructor
    // does this too.
    void Finish();

private:
    friend class PackageReader;
    struct StagedFile {
        std::string staged;
        std::string target;
        std::string setAside; // the replaced target, while the import can still be undone
        bool placed = false;
    };
    enum class State { Empty, Staged, Committed };
    void Reset();
    std::vector<StagedFile> m_files;
    State m_state = State::Empty;
};

class PackageReader {
public:
    PackageReader(PackageFolders folders, PackageQuestions& questions);

    // Step 1 above. Fails with the reason when the package is missing, not a
    // package, its index is missing or damaged, it lacks an entry the index
    // names, a file cannot be extracted, or its song cannot be read; `out`
    // is then empty and nothing outside the work folder has changed.
    bool Read(const std::string& path, const SampleLibrary& library, PackageImport& out, Error* error = nullptr);

private:
    PackageFolders m_folders;
    PackageQuestions& m_questions;
};

// True when `path` lies inside `folder` once symbolic links of the existing
// part are followed.
bool IsInsideFolder(const std::string& path, const std::string& folder);

} // namespace bm
