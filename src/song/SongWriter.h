#pragma once

// Writes a Song as a song file (".ncp"). Slots name their samples by the
// library's texts, so the song survives a rebuilt library; field 7 of a slot
// line is the sample's full path (the file found through the sample folder
// list, else the stored path joined to the program folder). A slot whose
// reference addresses no sample is written with the texts it was read with,
// or left out when it has none (it would otherwise name another sample).
//
// Example:
//     SongWriter writer(library, folders.Snapshot(), ProgramFolder(), {.progress = &bar});
//     writer.Write(song, path, SongWriteMode::AsDocument, &error);

#include "core/Error.h"
#include "song/Song.h"
#include "song/SongFile.h"

#include <string>
#include <vector>

namespace bm {

class SongWriter {
public:
    // `folders` is a snapshot of the sample folder list; `programFolder`
    // ends with '/'. The library must not change while the writer is used.
    SongWriter(const SampleLibrary& library, std::vector<std::string> folders, std::string programFolder,
               SongObservers observers = {});

    // Writes the song to `path` through a durable write (the old file stays
    // whole when writing fails). As the document, the text records the
    // song's path and the start song becomes `path`. False, with the reason,
    // when the file cannot be written; nothing else changes then.
    bool Write(const Song& song, const std::string& path, SongWriteMode mode, Error* error = nullptr);

    // The file's text (CR LF line ends).
    std::string Format(const Song& song, SongWriteMode mode);

private:
    const SampleLibrary& m_library;
    std::vector<std::string> m_folders;
    std::string m_programFolder;
    SongObservers m_observers;
};

} // namespace bm
