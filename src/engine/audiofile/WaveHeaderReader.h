#pragma once

// Reads the header of a wave file: walks its chunks, accepts or rejects the
// format, picks up the "loop" and "m2st" chunks that follow "fmt " directly,
// and finds the "data" chunk. Any thread; no shared state.

#include "engine/audiofile/ByteSource.h"
#include "engine/audiofile/WaveHeader.h"

#include <span>
#include <string>
#include <string_view>

namespace bm {

// True when the last four characters of the path, lower-cased, are ".mp3".
bool IsMpegPath(std::string_view path);

// 0 unreadable, 1 accepted PCM, 2 needs conversion. Accepted means: format
// tag 1, one or two channels, 8 or 16 bits packed (a block size of channels
// x bytes per sample), and a rate of exactly 11 025, 14 700, 22 050 or
// 44 100 Hz; PCM at any other rate is converted (decoded and resampled) so
// that it keeps its pitch, and PCM in wider containers is decoded. On
// acceptance the loop values are turned into canonical bytes (x 4). A path
// ending in ".mp3" gives 2 without opening the file.
WaveHeaderResult ReadWaveHeader(const std::string& path, WaveHeaderInfo& info);
WaveHeaderResult ReadWaveHeader(ByteSource& source, WaveHeaderInfo& info);

// Parses an "m2st" body into the two tracks (appending, with the closing
// envelope point). A body whose counts are negative or do not fit is
// ignored: the tracks stay as they were.
void ParseEffectChunk(std::span<const uint8_t> body, const LoopChunk& loop, std::array<EffectTrack, 2>& tracks);

// The rate a PCM file is read at: the first of 11 025, 14 700, 22 050 and
// 44 100 Hz that is at least `rate` (44 100 for anything above).
uint32_t SnapPcmRate(uint32_t rate);

} // namespace bm
