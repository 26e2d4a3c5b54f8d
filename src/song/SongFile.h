#pragma once

// Shared pieces of the song file (".ncp") reader and writer: the keys, the
// version, and who hears about a read or write besides the song itself.
//
// The file is line oriented (CR LF written, LF accepted), every line trimmed
// and empty lines skipped on reading:
//     %VER 1.0 / %SIZE n / %SPC s / %CPT b      header
//     %PATH "..."                               only when written as the document
//     %VOL channel volume on                    12 lines
//     %REG start end e|d                        one per region
//     %LP kind channel position value selected  envelope points
//     %COL                                      one block per measure, then
//     +n                                        n empty slots skipped
//     "style"  "group"  "part"  "chord"  "first"  "second"  "path"  "fourth"  "selected"  "start"  "reverse"

#include "engine/EngineCommand.h"
#include "song/SongProgress.h"

#include <cstdint>
#include <functional>
#include <string>

namespace bm {

inline constexpr const char* kSongVersion = "1.0";
inline constexpr const char* kKeyVersion = "%VER ";
inline constexpr const char* kKeySize = "%SIZE ";
inline constexpr const char* kKeySamplesPerMeasure = "%SPC ";
inline constexpr const char* kKeyMeasuresPerBar = "%CPT ";
inline constexpr const char* kKeyPath = "%PATH ";
inline constexpr const char* kKeyVolume = "%VOL ";
inline constexpr const char* kKeyRegion = "%REG ";
inline constexpr const char* kKeyEnvelopePoint = "%LP ";
inline constexpr const char* kKeyMeasure = "%COL";

inline constexpr const char* kSongExtension = ".ncp";
inline constexpr const char* kWorkFileExtension = ".tempncp";
inline constexpr const char* kLastSongName = "last.ncp";

enum class SongWriteMode {
    Plain,      // a copy of the song
    AsDocument, // also records the song's path ("%PATH") and becomes the start song
};

// Who hears about a read or write. Every member may be left empty.
struct SongObservers {
    // Receives the commands that mirror a replaced current song.
    engine::EngineClient* engine = nullptr;
    SongProgress* progress = nullptr;
    // Called after the tempo of a replaced current song was posted, so the
    // main window can refresh its status display.
    std::function<void()> refreshStatus = {};
    // The program-wide start song: set at the end of a read that replaced
    // the current song, and by a write as the document.
    std::string* startSong = nullptr;
};

} // namespace bm
