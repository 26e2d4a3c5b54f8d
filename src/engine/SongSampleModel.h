#pragma once

// The model a song used as a sample is rendered from, and the pure steps
// that make it: the song file read by the song reader and mirrored into an
// EngineSong exactly as the main window mirrors its current song into the
// engine (slots resolved through the library to stored paths, starts and
// lengths; channel gain = volume while on, else 0; the envelope lists), plus
// the song's regions; then re-timed to the measure length a requested span
// gives, and the list of measures it delivers, in order.
//
// Also the import size estimate of a song file, which looks only at a few
// header lines and counts measures (no library needed).
//
//     SongSampleModel model;
//     if (ReadSongSampleModel(text, path, library, folders, program, model, &error)) {
//         RetimeSongSample(model.song, int32_t(span / model.song.measuresPerBar));
//         std::vector<int32_t> measures;
//         OutputMeasures(model.song, model.regions, limit, measures);
//     }

#include "core/Error.h"
#include "engine/EngineSong.h"
#include "song/Song.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm::engine {

struct SongSampleModel {
    EngineSong song;
    std::vector<Region> regions; // as the file lists them
};

// True when the first non-empty line of a song text is "%VER 1.0": only such
// files can stand in a slot.
bool HasSongSampleVersion(std::string_view text);

// Reads a song text (`path` stands for its file) into the model. False with
// the reason when the version line is missing or wrong or the song reader
// refuses the text. `folders` is a snapshot of the sample folder list.
bool ReadSongSampleModel(std::string_view text, const std::string& path, const SampleLibrary& library,
                         std::vector<std::string> folders, const std::string& programFolder, SongSampleModel& model,
                         Error* error = nullptr);

// The engine's copy of a song, as the commands that mirror the song into the
// engine build it.
EngineSong EngineSongOf(const Song& song, const SampleLibrary& library);

// New measure length M' (at least 1): every slot start becomes
// start × M' / M and every envelope position position × M' / M, both
// truncated toward zero (M the old measure length).
void RetimeSongSample(EngineSong& song, int32_t samplesPerMeasure);

// The measures delivered, in order: for each region in list order its
// measures from start to end inclusive (clipped to the song's measures),
// else every measure. False (and `out` empty) when there would be more than
// `limit` of them.
bool OutputMeasures(const EngineSong& song, const std::vector<Region>& regions, int64_t limit,
                    std::vector<int32_t>& out);

// Canonical bytes a song file takes once imported: 0 unless its first
// "%VER " line carries "1.0"; M from "%SPC " (1000 when absent); the regions
// whose "%REG " line holds an "e" add end - start + 1; each "%COL" line is a
// measure. min(region total, measures) × M × 4 when the region total is not
// 0, else measures × M × 4 (never negative).
int64_t EstimateSongImportBytes(std::string_view text);

} // namespace bm::engine
