#pragma once

// Work files: before some commands replace the current song, it is kept as
// temporary folder + name + ".tempncp" (written as the document, so the file
// remembers the song's real path). Going back loads the newest one and
// deletes it, so repeating walks back through the replaced songs. And
// "last.ncp" in the program folder, which the next start opens.

#include "core/Error.h"
#include "song/Song.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"

#include <optional>
#include <string>
#include <string_view>

namespace bm {

struct WorkFile {
    std::string fileName; // name with its extension
    std::string path;     // full path
    bool operator==(const WorkFile&) const = default;
};

// temporary folder + name + ".tempncp".
std::string WorkFilePath(const std::string& tempFolder, std::string_view name);
// program folder + "last.ncp".
std::string LastSongPath(const std::string& programFolder);

// The work file with the latest last-write time (of equal times, the first
// by name), or nothing.
std::optional<WorkFile> FindNewestWorkFile(const std::string& tempFolder);

// Deletes the newest work file. True when one was found and deleted.
bool DeleteNewestWorkFile(const std::string& tempFolder, WorkFile* deleted = nullptr);

// Deletes the newest work file again and again until none is left (or one
// cannot be deleted). Returns the number deleted.
int DeleteAllWorkFiles(const std::string& tempFolder);

// Writes the song as a work file (as the document).
bool KeepAsWorkFile(SongWriter& writer, const Song& song, const std::string& tempFolder, std::string_view name,
                    Error* error = nullptr);

// Loads the newest work file into the song and, when that worked, deletes
// it. False when there is none or it cannot be read; `loaded` names it.
bool GoBackToPreviousSong(SongReader& reader, Song& song, const std::string& tempFolder, WorkFile* loaded = nullptr,
                          Error* error = nullptr);

// Writes the song to "last.ncp" as the document when it has at least one
// measure; false (and nothing written) otherwise or on failure.
bool WriteLastSong(SongWriter& writer, const Song& song, const std::string& programFolder, Error* error = nullptr);

} // namespace bm
