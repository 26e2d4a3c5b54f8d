#pragma once

// Reads a song file (".ncp") into the current song, mirroring it to the
// audio engine, or into the clipboard without telling the engine. Every slot
// line's eight texts are matched against the library by the sample
// resolver; each distinct set of texts is resolved once per read. A slot
// whose texts match nothing keeps UnresolvedRef() (it plays nothing) and its
// texts, so that saving writes them back unchanged.
//
// Example:
//     SongReader reader(library, folders.Snapshot(), ProgramFolder(),
//                       {.engine = &queue, .progress = &bar, .startSong = &context.startSong});
//     if (!reader.ReadSong(path, song, &error)) ...

#include "core/Error.h"
#include "song/Song.h"
#include "song/SongFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm {

// What the last read met, for callers that tell a person about it.
struct SongReadStats {
    int64_t slots = 0;           // slot lines stored into a measure
    int64_t unresolvedSlots = 0; // of those, slots whose texts matched no sample
    int64_t distinctNames = 0;   // distinct sets of eight texts resolved
    int64_t ignoredLines = 0;    // lines out of range or outside a measure
    bool hadPath = false;        // the file carried "%PATH"
    std::string documentPath;    // its value
    int64_t declaredMeasures = -1; // the measure count "%SIZE" announced; -1 without one
    int64_t measures = 0;          // measures the file held
    // A file that holds fewer measures than it announced has lost its end
    // (a copy cut short, a full disk): it reads, but the person is told.
    bool CutShort() const { return declaredMeasures > measures; }
};

class SongReader {
public:
    // `folders` is a snapshot of the sample folder list; `programFolder`
    // ends with '/'. The library must not change while the reader is used.
    SongReader(const SampleLibrary& library, std::vector<std::string> folders, std::string programFolder,
               SongObservers observers = {});

    // Replaces `song`: posts stop, removes every measure (the engine is told
    // as for removing measures), switches all channels on at volume 50, then
    // reads the file. The song's path becomes the file's "%PATH" value, else
    // `path`; so does the start song. False when the file cannot be read
    // (the song is empty then), when its version is not 1.0 (the song is as
    // far as it was read: empty) or when it holds too many measures.
    bool ReadSong(const std::string& path, Song& song, Error* error = nullptr);
    // The same from a text already in memory; `path` stands for the file.
    bool ReadSongText(std::string_view text, const std::string& path, Song& song, Error* error = nullptr);

    // Empties the clipboard and fills it with the file's measures, tempo
    // values and envelopes; nothing is posted. Envelope lists that the file
    // gave points are marked in use.
    bool ReadClipboard(const std::string& path, SongFragment& clipboard, Error* error = nullptr);
    bool ReadClipboardText(std::string_view text, SongFragment& clipboard, Error* error = nullptr);

    const SongReadStats& Stats() const { return m_stats; }

private:
    void ClearForReading(Song& song);
    bool Parse(std::string_view text, const std::string& path, Song* song, SongFragment* clipboard, Error* error);

    const SampleLibrary& m_library;
    std::vector<std::string> m_folders;
    std::string m_programFolder;
    SongObservers m_observers;
    SongReadStats m_stats;
};

} // namespace bm
